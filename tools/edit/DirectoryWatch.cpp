// inotify, non-blocking, on a directory and its subdirectories.
#include "tools/edit/DirectoryWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace Sorva {

namespace fs = std::filesystem;

DirectoryWatch::DirectoryWatch(const fs::path& directory, bool recursive, std::string what)
    : root_(directory), recursive_(recursive), what_(std::move(what)),
      fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0 || !watchTree(root_, false)) {
        const std::string why = std::strerror(errno);
        if (fd_ >= 0)
            close(fd_);
        throw std::runtime_error("cannot watch " + directory.string() + ": " + why);
    }
    saved_.reserve(16);
}

DirectoryWatch::~DirectoryWatch() {
    close(fd_);
}

bool DirectoryWatch::watchTree(const fs::path& directory, bool saveAll) {
    if (!watch(directory))
        return false;
    std::error_code error;
    const auto visit = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (entry.is_directory(ignored)) {
            if (recursive_)
                watch(entry.path());
        } else if (saveAll && entry.is_regular_file(ignored)) {
            saved(entry.path());
        }
    };
    if (recursive_) {
        for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end;
             it.increment(error))
            visit(*it);
    } else if (saveAll) {
        for (fs::directory_iterator it(directory, error), end; !error && it != end;
             it.increment(error))
            visit(*it);
    }
    return true;
}

bool DirectoryWatch::watch(const fs::path& directory) {
    const std::uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                               IN_ONLYDIR | (recursive_ ? IN_CREATE : 0);
    const int wd = inotify_add_watch(fd_, directory.c_str(), mask);
    if (wd < 0)
        return false;
    directories_[wd] = directory;
    return true;
}

void DirectoryWatch::forget(const fs::path& directory) {
    const std::string below = (directory / "").string();
    for (auto it = directories_.begin(); it != directories_.end();) {
        if (it->second == directory || it->second.string().starts_with(below)) {
            // Moved away, it would go on telling of files no longer here.
            inotify_rm_watch(fd_, it->first);
            it = directories_.erase(it);
        } else {
            ++it;
        }
    }
}

void DirectoryWatch::saved(fs::path file) {
    if (std::find(saved_.begin(), saved_.end(), file) == saved_.end())
        saved_.push_back(std::move(file));
}

const std::vector<fs::path>& DirectoryWatch::poll() {
    saved_.clear();
    if (gone_ && watchTree(root_, true)) {
        gone_ = false;
        std::fprintf(stderr, "halvo-edit: %s is back; its %s reload again\n", root_.c_str(),
                     what_.c_str());
    }
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            break; // EAGAIN: nothing more for now
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: whatever may have changed counts as saved.
                if (!gone_)
                    watchTree(root_, true);
                continue;
            }
            const auto directory = directories_.find(event->wd);
            if (directory == directories_.end())
                continue; // a watch already forgotten
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                const fs::path lost = directory->second;
                forget(lost);
                if (lost == root_ && !gone_) {
                    gone_ = true;
                    std::fprintf(stderr,
                                 "halvo-edit: %s is gone; its %s reload again once it is back\n",
                                 root_.c_str(), what_.c_str());
                }
                continue;
            }
            if (event->len == 0)
                continue;
            fs::path file = directory->second / event->name;
            if (event->mask & IN_ISDIR) {
                if (recursive_ && (event->mask & (IN_CREATE | IN_MOVED_TO)))
                    watchTree(file, true);
            } else if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) {
                saved(std::move(file));
            }
        }
    }
    return saved_;
}

} // namespace Sorva
