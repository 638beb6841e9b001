// Opening data files on Windows: what is refused and with which words, and
// names beyond ASCII, which the program passes as UTF-8.
#include "sync/RegularFile.h"
#include "tests/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Sorva::RegularFile;

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

TEST(Win32RegularFile, RefusesWhatIsNotAFileAndSaysWhy) {
    const fs::path dir = Sorva::Test::makeScratchDir("halvo-regular");
    fs::create_directory(dir / "folder.mp3");
    std::ofstream(dir / "big.track", std::ios::binary) << std::string(100, 'x');
    const struct {
        std::string path;
        std::uintmax_t maxBytes;
        bool missing;
        std::string problem;
    } rows[] = {
        {utf8(dir / "gone.mp3"), Sorva::anySize, true, "No such file or directory"},
        {utf8(dir / "gone" / "x.fs"), Sorva::anySize, true, "No such file or directory"},
        {utf8(dir / "folder.mp3"), Sorva::anySize, false, "a directory, not a regular file"},
        // Any folder holds the device NUL, whatever its extension.
        {utf8(dir / "nul.fs"), Sorva::anySize, false, "a character device, not a regular file"},
        {utf8(dir / "big.track"), 99, false, "100 bytes, more than the 99 allowed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const RegularFile opened = Sorva::openRegularFile(row.path, row.maxBytes);
        EXPECT_EQ(opened.file, nullptr);
        EXPECT_EQ(opened.missing, row.missing);
        EXPECT_EQ(opened.problem, row.problem);
    }
    EXPECT_EQ(Sorva::createRegularFile(utf8(dir / "folder.mp3")).problem,
              "a directory, not a regular file");
    EXPECT_EQ(Sorva::createRegularFile(utf8(dir / "NUL")).problem,
              "a character device, not a regular file");
    fs::remove_all(dir);
}

TEST(Win32RegularFile, ReadsAndWritesUnderNamesBeyondAscii) {
    const fs::path dir = Sorva::Test::makeScratchDir("halvo-regular");
    const fs::path folder = dir / fs::path(u8"Näytös ja ääni Ωμέγα");
    fs::create_directory(folder);
    const std::string path = utf8(folder / "e.track");

    // Binary both ways: a CR LF pair and a byte 0x1a come back as written.
    const std::string bytes("a\r\nb\x1a\0c\n", 8);
    RegularFile created = Sorva::createRegularFile(path);
    ASSERT_NE(created.file, nullptr) << created.problem;
    std::fwrite(bytes.data(), 1, bytes.size(), created.file);
    std::fclose(created.file);

    std::string text;
    RegularFile opened = Sorva::openRegularFile(path);
    ASSERT_NE(opened.file, nullptr) << opened.problem;
    ASSERT_TRUE(Sorva::readToEnd(opened.file, text));
    EXPECT_EQ(text, bytes);

    // Created again, it is emptied.
    created = Sorva::createRegularFile(path);
    ASSERT_NE(created.file, nullptr);
    std::fclose(created.file);
    EXPECT_EQ(fs::file_size(folder / "e.track"), 0u);
    fs::remove_all(dir);
}

} // namespace
