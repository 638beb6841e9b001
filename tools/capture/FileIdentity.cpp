// Looking files and directories up by device and inode.
#include "tools/capture/FileIdentity.h"

#include <sys/stat.h>

namespace Sorva {

namespace fs = std::filesystem;

namespace {

std::optional<FileIdentity> statOf(const fs::path& path, std::string name) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, std::move(name)};
}

} // namespace

std::optional<FileIdentity> FileIdentity::of(const fs::path& path) {
    if (auto existing = statOf(path, ""))
        return existing;
    const fs::path absolute = fs::absolute(path);
    return inside(absolute.parent_path(), absolute.filename().string());
}

std::optional<FileIdentity> FileIdentity::inside(const fs::path& directory,
                                                 const std::string& name) {
    if (auto existing = statOf(directory / name, ""))
        return existing;
    return statOf(directory, name);
}

} // namespace Sorva
