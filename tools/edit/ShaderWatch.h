// Shaders on save: a saved shader file rebuilds the programs made from it,
// each only if it builds, so that the last good program draws meanwhile.
#pragma once

#include "tools/edit/DirectoryWatch.h"

#include <filesystem>
#include <map>
#include <string>

namespace Sorva {

class ShaderWatch {
public:
    // Watches the directory and those below it; paths are told to the
    // programs as this directory joined with the file below it, so it is
    // given as the programs name it ("data/shaders"). Throws
    // std::runtime_error when it cannot be watched.
    explicit ShaderWatch(const std::filesystem::path& directory);

    // Once a frame: rebuilds the programs of each file saved since the last
    // call. Returns whether any file was.
    bool poll();
    // After every program was rebuilt (the reload key): what failed, if anything.
    void rebuiltAll(const std::string& problem);

    // The problem of the file saved last that has one now, "" when none has.
    const std::string& problem() const { return problem_; }

private:
    void note(const std::string& file, const std::string& problem);

    DirectoryWatch watch_;
    std::map<std::string, std::string> problems_; // by file
    std::string last_;
    std::string problem_;
};

} // namespace Sorva
