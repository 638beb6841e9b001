// Scratch folders and copies made with the standard library alone, on every
// platform.
#include "tests/ScratchDir.h"

#include <random>
#include <stdexcept>

namespace Sorva::Test {

std::filesystem::path makeScratchDir(const std::string& prefix) {
    namespace fs = std::filesystem;
    static std::mt19937_64 random{std::random_device{}()};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path path = base / (prefix + "-" + std::to_string(random() % 1000000000));
        // create_directory is false when the name is taken.
        if (fs::create_directory(path))
            return path;
    }
    throw std::runtime_error("cannot make a scratch folder under " + base.string());
}

void copyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    if (!fs::is_directory(from)) {
        fs::remove(to);
        fs::copy_file(from, to);
        return;
    }
    fs::create_directories(to);
    for (const fs::directory_entry& entry : fs::directory_iterator(from))
        copyOver(entry.path(), to / entry.path().filename());
}

} // namespace Sorva::Test
