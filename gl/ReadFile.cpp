// Whole-file reading for shader sources.
#include "gl/ReadFile.h"

#include "sync/RegularFile.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace Sorva::Gl {

namespace {

namespace fs = std::filesystem;

// The outermost folder on the way to path that is not there as a folder,
// with what it is instead; empty when every folder is there.
std::pair<fs::path, std::string> brokenFolder(const fs::path& path) {
    fs::path folder;
    const fs::path parent = path.parent_path();
    for (const fs::path& part : parent) {
        folder /= part;
        std::error_code error;
        if (fs::is_directory(folder, error))
            continue;
        if (fs::is_symlink(fs::symlink_status(folder, error)) && !fs::exists(folder, error))
            return {folder, "a dangling link to " + fs::read_symlink(folder, error).string()};
        return {folder, fs::exists(folder, error) ? "not a directory" : "missing"};
    }
    return {};
}

void reportUnreadable(const std::string& path, const RegularFile& opened) {
    const auto [folder, what] = brokenFolder(path);
    if (!folder.empty()) {
        // Every shader in that folder fails alike: one line says it all.
        static std::set<fs::path> reported;
        std::error_code error;
        if (reported.insert(fs::absolute(folder, error)).second)
            std::fprintf(stderr, "Cannot read shaders: %s is %s\n", folder.string().c_str(),
                         what.c_str());
        return;
    }
    std::fprintf(stderr, "Cannot read shader %s: %s\n", path.c_str(), opened.problem.c_str());
}

} // namespace

bool readFile(const std::string& path, std::string& text) {
    text.clear();
    const RegularFile opened = openRegularFile(path);
    if (!opened.file) {
        reportUnreadable(path, opened);
        return false;
    }
    if (!readToEnd(opened.file, text)) {
        std::fprintf(stderr, "Cannot read shader %s: read error\n", path.c_str());
        text.clear();
        return false;
    }
    return true;
}

std::string readFile(const std::string& path) {
    std::string text;
    readFile(path, text);
    return text;
}

} // namespace Sorva::Gl
