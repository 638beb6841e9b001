// inotify, non-blocking, on a directory and its subdirectories.
#include "tools/edit/DirectoryWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace Sorva {

namespace fs = std::filesystem;

DirectoryWatch::DirectoryWatch(const fs::path& directory, bool recursive)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0)
        throw std::runtime_error("cannot watch " + directory.string() + ": " +
                                 std::strerror(errno));
    try {
        watch(directory);
        if (recursive) {
            std::error_code error;
            for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end;
                 it.increment(error))
                if (it->is_directory())
                    watch(it->path());
        }
    } catch (...) {
        close(fd_);
        throw;
    }
    saved_.reserve(16);
}

DirectoryWatch::~DirectoryWatch() {
    close(fd_);
}

void DirectoryWatch::watch(const fs::path& directory) {
    const int wd = inotify_add_watch(fd_, directory.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    if (wd < 0)
        throw std::runtime_error("cannot watch " + directory.string() + ": " +
                                 std::strerror(errno));
    directories_[wd] = directory;
}

const std::vector<fs::path>& DirectoryWatch::poll() {
    saved_.clear();
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            break; // EAGAIN: nothing more for now
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto directory = directories_.find(event->wd);
            if (directory == directories_.end() || event->len == 0 || (event->mask & IN_ISDIR))
                continue;
            fs::path file = directory->second / event->name;
            if (std::find(saved_.begin(), saved_.end(), file) == saved_.end())
                saved_.push_back(std::move(file));
        }
    }
    return saved_;
}

} // namespace Sorva
