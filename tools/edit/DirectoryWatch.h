// Files saved in a directory tree, as inotify tells: polled once a frame,
// never waiting. A save counts once it is complete: a file closed after
// writing, or moved into place (as editors that save through a temporary
// file do).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace Sorva {

class DirectoryWatch {
public:
    // Watches `directory` and, when `recursive`, every directory below it
    // (as they are now). Throws std::runtime_error naming the directory when
    // it cannot be watched.
    DirectoryWatch(const std::filesystem::path& directory, bool recursive);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // The files saved since the last call, each once, as `directory` joined
    // with the path below it; empty when nothing was (which costs one read
    // that finds nothing).
    const std::vector<std::filesystem::path>& poll();

private:
    void watch(const std::filesystem::path& directory);

    int fd_ = -1;
    std::map<int, std::filesystem::path> directories_; // by watch descriptor
    std::vector<std::filesystem::path> saved_;
};

} // namespace Sorva
