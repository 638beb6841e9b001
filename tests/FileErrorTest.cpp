// Data files without GL: a FIFO, directory or device in place of a track,
// the tune or a shader is refused at once with one line on stderr naming it
// (a missing track stays silent), and a broken shader folder is named once.
// Registered with a timeout: a FIFO opened for reading would hang.
#include "gl/ReadFile.h"
#include "sync/MusicClock.h"
#include "sync/Rexception.h"
#include "sync/SilentAudioOutput.h"
#include "sync/SyncDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace Sorva;

// Puts at path: "fifo", "directory", "device" (a link to /dev/null),
// "dangling" (a link to "gone"), "file", or for "missing" nothing.
void make(const std::string& kind, const std::string& path) {
    fs::create_directories(fs::absolute(path).parent_path());
    if (kind == "fifo")
        mkfifo(path.c_str(), 0600);
    else if (kind == "directory")
        fs::create_directory(path);
    else if (kind == "device")
        fs::create_symlink("/dev/null", path);
    else if (kind == "dangling")
        fs::create_symlink("gone", path);
    else if (kind == "file")
        std::ofstream(path) << "text";
}

template <typename F> std::string stderrOf(F f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

class FileErrors : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvo-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

private:
    fs::path previous_ = fs::current_path();
    fs::path dir_;
};

} // namespace

TEST_F(FileErrors, TrackTuneAndShaderThatAreNotFilesAreRefusedAtOnce) {
    const struct {
        const char* kind;
        const char* problem; // null: missing, and a missing track is silent
    } rows[] = {
        {"fifo", "a FIFO, not a regular file"},
        {"directory", "a directory, not a regular file"},
        {"device", "a character device, not a regular file"},
        {"dangling", nullptr},
    };
    SyncDevice device(syncBasePath);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kind);
        const std::string problem = row.problem ? row.problem : "No such file or directory";
        const std::string track = device.trackPath(row.kind);
        const std::string tune = std::string(row.kind) + ".mp3";
        const std::string shader = std::string("shaders/") + row.kind + ".fs";
        for (const std::string& path : {track, tune, shader})
            make(row.kind, path);

        double value = -1.0;
        EXPECT_EQ(stderrOf([&] { value = evaluate(device.getTrack(row.kind), 5.0); }),
                  row.problem ? "Cannot read track " + std::string(row.kind) + " from " + track +
                                    ": " + problem + "; it stays 0\n"
                              : "");
        EXPECT_EQ(value, 0.0);

        MusicClock clock([] { return std::unique_ptr<AudioOutput>(new SilentAudioOutput); });
        std::string thrown;
        EXPECT_EQ(stderrOf([&] {
                      try {
                          clock.open(tune.c_str(), 131.0);
                      } catch (const Rexception& e) {
                          thrown = e.what();
                      }
                  }),
                  "Cannot open tune " + tune + ": " + problem + "\n");
        EXPECT_EQ(thrown, "Failed to open tune.");

        std::string text = "old";
        EXPECT_EQ(stderrOf([&] { EXPECT_FALSE(Gl::readFile(shader, text)); }),
                  "Cannot read shader " + shader + ": " + problem + "\n");
        EXPECT_EQ(text, "");
    }

    // A track file beyond the size limit is refused before anything is read.
    const std::string big = device.trackPath("big");
    std::ofstream(big).close();
    fs::resize_file(big, maxTrackFileBytes + 1);
    EXPECT_EQ(stderrOf([&] { device.getTrack("big"); }),
              "Cannot read track big from " + big +
                  ": 16777217 bytes, more than the 16777216 allowed; it stays 0\n");
}

TEST_F(FileErrors, BrokenShaderFolderIsNamedOnceForAllItsFiles) {
    const struct {
        const char* folder;
        const char* kind;
        const char* error;
    } rows[] = {
        {"a/shaders", "missing", "Cannot read shaders: ./a/shaders is missing\n"},
        {"b/shaders", "dangling", "Cannot read shaders: ./b/shaders is a dangling link to gone\n"},
        {"c/shaders", "file", "Cannot read shaders: ./c/shaders is not a directory\n"},
        {"d", "missing", "Cannot read shaders: ./d is missing\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        make(row.kind, row.folder);
        const std::string folder = std::string("./") + row.folder;
        EXPECT_EQ(stderrOf([&] {
                      for (const char* file : {"/a.fs", "/dct/b.fs", "/a.fs"})
                          EXPECT_EQ(Gl::readFile(folder + file), "");
                  }),
                  row.error);
    }
}
