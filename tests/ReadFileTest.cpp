// Reading shader source files without GL: the whole file, byte for byte,
// and an empty text for anything that cannot be read.
#include "gl/ReadFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using Sorva::Gl::readFile;

TEST(ReadFile, ReturnsTheWholeFileOrNothing) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("halvo-readfile-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    std::string big(3 << 20, 'x');
    for (std::size_t i = 0; i < big.size(); i += 97)
        big[i] = '\n';
    const struct {
        const char* name;
        std::string content;
    } rows[] = {
        {"empty.fs", ""},          {"no-newline.fs", "void main() {}"},
        {"crlf.fs", "a\r\nb\r\n"}, {"zero-byte.fs", std::string("x\0y\n", 4)},
        {"big.fs", big},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::ofstream(dir / row.name, std::ios::binary) << row.content;
        EXPECT_EQ(readFile((dir / row.name).string()), row.content);
    }
    EXPECT_EQ(readFile((dir / "missing.fs").string()), "");
    EXPECT_EQ(readFile(dir.string()), "") << "a directory reads as empty";
    fs::remove_all(dir);
}
