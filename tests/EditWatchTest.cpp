// Track sources saved during a run: the new keys are in the show at the next
// frame; a broken source keeps the last good keys and is reported once.
#include "sync/SyncDevice.h"
#include "tools/edit/DirectoryWatch.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/TrackWatch.h"
#include "tools/edit/UnsavedEdits.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace Sorva {
namespace {

namespace fs = std::filesystem;

class TrackWatchTest : public ::testing::Test {
protected:
    TrackWatchTest()
        : sources_(fs::temp_directory_path() / ("halvo-watch-" + std::to_string(getpid()))) {
        fs::create_directories(sources_.directory());
        device_.getTrack("fade");
        device_.getTrack("other");
    }
    ~TrackWatchTest() override { fs::remove_all(sources_.directory()); }

    // Saved as an editor would: written in place, or to a temporary moved over it.
    void save(const std::string& name, const std::string& text, bool byRename = false) {
        const fs::path file = sources_.directory() / (name + ".txt");
        const fs::path written = byRename ? sources_.directory() / ".tmp" : file;
        std::ofstream(written) << text;
        if (byRename)
            fs::rename(written, file);
    }
    double fade(double row) { return evaluate(device_.track(0), row); }

    SyncDevice device_{"watch-test/none"};
    TrackSources sources_;
    UnsavedEdits unsaved_;
};

TEST_F(TrackWatchTest, SavedSourcesSwapTheirKeysInAndBrokenOnesKeepTheLastGood) {
    save("fade", "0 0 linear\n10 10\n");
    // What a save killed before its rename left behind goes at the start.
    const fs::path leftover = sources_.directory() / ".fade.txt.saving";
    std::ofstream(leftover) << "0 0 linear\n10";
    TrackWatch watch(sources_, device_, unsaved_);
    watch.loadAll();
    EXPECT_DOUBLE_EQ(fade(5), 5.0);
    EXPECT_FALSE(fs::exists(leftover));

    save("fade", "0 0 linear\n10 20\n", true);
    EXPECT_TRUE(watch.poll());
    EXPECT_DOUBLE_EQ(fade(5), 10.0);
    EXPECT_FALSE(watch.poll()) << "each save is taken once";

    const std::string file = (sources_.directory() / "fade.txt").string();
    for (int save = 0; save < 2; ++save) {
        testing::internal::CaptureStderr();
        this->save("fade", "0 0 linear\n# rows must ascend\n10 30\n5 1\n");
        watch.poll();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, save == 0 ? file + ":4: rows must ascend (5 after 10)\n" : "")
            << "the same mistake saved again is not reported again";
        EXPECT_DOUBLE_EQ(fade(5), 10.0);
        EXPECT_EQ(watch.problem(), file + ":4: rows must ascend (5 after 10)");
    }

    // Another track's good save leaves the problem standing; fixing it clears it.
    save("other", "0 3\n");
    watch.poll();
    EXPECT_EQ(evaluate(device_.track(1), 0), 3.0);
    EXPECT_NE(watch.problem(), "");
    save("fade", "0 1\n");
    watch.poll();
    EXPECT_DOUBLE_EQ(fade(5), 1.0);
    EXPECT_EQ(watch.problem(), "");

    // Sources of tracks nobody requested are read and change nothing.
    save("unused", "0 1\n");
    EXPECT_TRUE(watch.poll());
    EXPECT_EQ(device_.trackCount(), 2u);
}

} // namespace
} // namespace Sorva

namespace Sorva {
namespace {

// A shader tree replaced by a new one, and a folder made in it later: their
// files count as saved, and nothing of the old tree moved away does.
TEST(DirectoryWatchTest, FollowsItsTreeReplacedAndFoldersMadeInIt) {
    const fs::path root = fs::temp_directory_path() / ("halvo-tree-" + std::to_string(getpid()));
    const fs::path old = root.string() + ".old";
    fs::create_directories(root / "dct");
    DirectoryWatch watch(root, true, "shaders");
    testing::internal::CaptureStderr();
    fs::rename(root, old);
    fs::create_directories(root / "dct");
    std::ofstream(root / "dct" / "a.fs") << "new";
    std::vector<fs::path> saved;
    for (int poll = 0; poll < 3; ++poll)
        for (const fs::path& file : watch.poll())
            saved.push_back(file);
    fs::create_directories(root / "tunnel");
    std::ofstream(root / "tunnel" / "b.fs") << "new";
    std::ofstream(old / "dct" / "a.fs") << "old";
    for (const fs::path& file : watch.poll())
        saved.push_back(file);
    testing::internal::GetCapturedStderr();
    fs::remove_all(root);
    fs::remove_all(old);
    EXPECT_EQ(saved, (std::vector<fs::path>{root / "dct" / "a.fs", root / "tunnel" / "b.fs"}));
}

} // namespace
} // namespace Sorva
