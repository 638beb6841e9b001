// Files saved in a directory tree, as inotify tells: polled once a frame,
// never waiting. A save counts once it is complete: a file closed after
// writing, or moved into place (as editors that save through a temporary
// file do). The directory may be replaced by a new one (a checkout of
// another branch, a tool writing a fresh copy): the watch follows its path,
// and every file of the new one counts as saved.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace Sorva {

class DirectoryWatch {
public:
    // Watches `directory` and, when `recursive`, every directory below it,
    // those made later included. `what` names its files in the lines told
    // when it goes and comes back ("track sources"). Throws
    // std::runtime_error naming the directory when it cannot be watched.
    DirectoryWatch(const std::filesystem::path& directory, bool recursive, std::string what);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // The files saved since the last call, each once, as `directory` joined
    // with the path below it; empty when nothing was (which costs one read
    // that finds nothing, and while the directory is gone, one try to watch
    // it again).
    const std::vector<std::filesystem::path>& poll();

    // Whether the directory is gone and not yet back.
    bool gone() const { return gone_; }

private:
    // Watches the directory (and, when recursive, those below it); with
    // `saveAll`, each file in them counts as saved. False when the directory
    // itself cannot be watched.
    bool watchTree(const std::filesystem::path& directory, bool saveAll);
    bool watch(const std::filesystem::path& directory);
    // Stops watching the directory and every one below it.
    void forget(const std::filesystem::path& directory);
    void saved(std::filesystem::path file);

    std::filesystem::path root_;
    bool recursive_;
    std::string what_;
    int fd_ = -1;
    std::map<int, std::filesystem::path> directories_; // by watch descriptor
    std::vector<std::filesystem::path> saved_;
    bool gone_ = false;
};

} // namespace Sorva
