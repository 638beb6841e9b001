// Which file a path names, however it is spelt: the device and inode of the
// file when it exists (links followed), else those of its directory and the
// name the file would take there. Two paths name the same file when their
// identities are equal.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace Sorva {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string name; // in the directory device/inode; empty for an existing file

    // Nothing when neither the file nor its directory can be looked at.
    static std::optional<FileIdentity> of(const std::filesystem::path& path);
    // The identity of a file `name` inside the directory `directory` names.
    static std::optional<FileIdentity> inside(const std::filesystem::path& directory,
                                              const std::string& name);

    bool operator==(const FileIdentity&) const = default;
};

} // namespace Sorva
