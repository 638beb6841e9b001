// An output file written under a temporary name beside its final one and
// renamed only once complete, so that a failed or interrupted run never
// leaves a partial file under the final name.
#pragma once

#include <filesystem>

namespace Sorva {

class PendingFile {
public:
    // Checks that the final name's directory exists and is writable and
    // that the final name is not a directory; throws std::runtime_error
    // naming the path otherwise. Creates nothing.
    explicit PendingFile(std::filesystem::path finalPath);
    // Removes the temporary file unless committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Where to write: a hidden name in the same directory.
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& finalPath() const { return final_; }

    // Renames the temporary file to the final name; throws on failure.
    void commit();
    // Removes the temporary file now.
    void discard();

private:
    std::filesystem::path final_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

} // namespace Sorva
