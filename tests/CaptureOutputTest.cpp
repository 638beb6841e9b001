// The capture tool's parts that need no GL: the contact sheet's grid, the
// writer thread and its frame pool, temporary output files, the progress
// text, the benchmark's statistics and the label font.
#include "tools/PixelFont.h"
#include "tools/capture/BenchReport.h"
#include "tools/capture/ContactSheet.h"
#include "tools/capture/Frame.h"
#include "tools/capture/FrameSink.h"
#include "tools/capture/FrameWriterThread.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/ProgressLine.h"
#include "tools/capture/SheetLayout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace Sorva {
namespace {

namespace fs = std::filesystem;

TEST(SheetLayout, NearSquareGridOfEvenlySpreadFrames) {
    struct Case {
        int count;
        std::int64_t first, end;
        int columns, rows;
        std::vector<std::int64_t> frames;
    };
    const Case cases[] = {
        {1, 100, 200, 1, 1, {100}},
        {2, 0, 600, 2, 1, {0, 599}},
        {3, 0, 600, 2, 2, {0, 300, 599}},
        {4, 0, 600, 2, 2, {0, 200, 399, 599}},
        {5, 60, 61 + 4, 3, 2, {60, 61, 62, 63, 64}}, // exactly as many frames as tiles
        {7, 0, 100, 3, 3, {0, 17, 33, 50, 66, 83, 99}},
        {12, 0, 10718, 4, 3, {}},
        {16, 0, 10718, 4, 4, {}},
        {17, 0, 10718, 5, 4, {}},
        {100, 0, 10718, 10, 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " frames");
        const SheetLayout layout(1280, 720, c.count, c.first, c.end);
        EXPECT_EQ(layout.columns(), c.columns);
        EXPECT_EQ(layout.rows(), c.rows);
        std::vector<std::int64_t> frames;
        for (int i = 0; i < c.count; ++i)
            frames.push_back(layout.tile(i).frame);
        if (!c.frames.empty()) {
            EXPECT_EQ(frames, c.frames);
        }
        EXPECT_EQ(frames.front(), c.first);
        EXPECT_EQ(frames.back(), c.count > 1 ? c.end - 1 : c.first);
        // Evenly spread: neighbouring gaps differ by at most one frame.
        for (std::size_t i = 2; i < frames.size(); ++i)
            EXPECT_LE(std::abs((frames[i] - frames[i - 1]) - (frames[i - 1] - frames[i - 2])), 1);
    }
}

TEST(SheetLayout, TilesFillRowsLeftToRightWithoutOverlapInsideTheSheet) {
    const SheetLayout layout(640, 360, 10, 0, 1000);
    ASSERT_EQ(layout.columns(), 4);
    ASSERT_EQ(layout.rows(), 3);
    EXPECT_EQ(layout.thumbWidth(), 480); // the frame is wider than a tile may be
    EXPECT_EQ(layout.thumbHeight(), 270);
    const int cellWidth = layout.thumbWidth() + SheetLayout::gap;
    const int cellHeight = layout.thumbHeight() + SheetLayout::labelHeight + SheetLayout::gap;
    for (int i = 0; i < layout.count(); ++i) {
        const SheetLayout::Tile tile = layout.tile(i);
        EXPECT_EQ(tile.x, SheetLayout::gap + (i % 4) * cellWidth) << i;
        EXPECT_EQ(tile.y, SheetLayout::gap + (i / 4) * cellHeight) << i;
        EXPECT_LE(tile.x + layout.thumbWidth() + SheetLayout::gap, layout.sheetWidth());
        EXPECT_LE(tile.y + cellHeight, layout.sheetHeight());
    }
    // Small frames are not blown up.
    EXPECT_EQ(SheetLayout(160, 90, 9, 0, 100).thumbWidth(), 160);
    EXPECT_EQ(SheetLayout(160, 90, 9, 0, 100).thumbHeight(), 90);
}

TEST(SheetLayout, RefusesMoreTilesThanFrames) {
    EXPECT_THROW(SheetLayout(640, 360, 11, 0, 10), std::invalid_argument);
    EXPECT_THROW(SheetLayout(640, 360, 1, 5, 5), std::invalid_argument);
    EXPECT_NO_THROW(SheetLayout(640, 360, 10, 0, 10));
}

TEST(ContactSheet, LabelsGiveTimeAndRow) {
    EXPECT_EQ(ContactSheet::label(0.0, 0.0), "0.000 s  row 0.00");
    EXPECT_EQ(ContactSheet::label(12.5, 218.333333), "12.500 s  row 218.33");
    EXPECT_EQ(ContactSheet::label(178.625, 3119.98), "178.625 s  row 3119.98");
}

TEST(PixelFont, LabelCharactersAllHaveDistinctGlyphs) {
    const std::string used = "0123456789.:-= ABCDEFGHIJKLMNOPQRSTUVWXYZ/,";
    std::set<std::string> shapes;
    for (const char c : used) {
        const PixelGlyph* glyph = pixelGlyph(c);
        ASSERT_NE(glyph, nullptr) << "no glyph for '" << c << "'";
        std::string shape;
        for (const auto& row : glyph->rows) {
            ASSERT_EQ(row.size(), static_cast<std::size_t>(PixelGlyph::width)) << c;
            shape += row;
        }
        EXPECT_TRUE(shapes.insert(shape).second) << "'" << c << "' looks like another glyph";
    }
    EXPECT_EQ(pixelGlyph('s'), pixelGlyph('S'));
    EXPECT_EQ(pixelGlyph('~'), nullptr);
}

// A sink that keeps what it was given, optionally slowly or failing.
class RecordingSink : public FrameSink {
public:
    void write(const Frame& frame) override {
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        if (failAt >= 0 && frame.number == failAt)
            throw std::runtime_error("disk full");
        numbers.push_back(frame.number);
        firstBytes.push_back(frame.pixels[0]);
    }
    void finish() override { ++finished; }

    std::chrono::milliseconds delay{0};
    std::int64_t failAt = -1;
    std::vector<std::int64_t> numbers;
    std::vector<int> firstBytes;
    int finished = 0;
};

TEST(FrameWriterThread, WritesEveryFrameInOrderThroughAFixedPool) {
    RecordingSink sink;
    sink.delay = std::chrono::milliseconds(2); // slower than the producer
    std::set<const Frame*> seen;
    {
        FrameWriterThread writer(sink, 4, 2, 3);
        for (int n = 0; n < 40; ++n) {
            Frame& frame = writer.acquire();
            EXPECT_EQ(frame.pixels.size(), 4u * 2u * Frame::channels);
            seen.insert(&frame);
            frame.number = n;
            frame.pixels[0] = static_cast<std::uint8_t>(n);
            writer.submit(frame);
        }
        writer.finish();
    }
    EXPECT_EQ(seen.size(), 3u); // nothing allocated beyond the pool
    ASSERT_EQ(sink.numbers.size(), 40u);
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(sink.numbers[n], n);
        EXPECT_EQ(sink.firstBytes[n], n);
    }
    EXPECT_EQ(sink.finished, 1);
}

TEST(FrameWriterThread, AWriteFailureReachesTheProducerAndTheSinkIsNotFinished) {
    RecordingSink sink;
    sink.failAt = 5;
    FrameWriterThread writer(sink, 2, 2, 2);
    bool thrown = false;
    try {
        for (int n = 0; n < 100; ++n) {
            Frame& frame = writer.acquire();
            frame.number = n;
            writer.submit(frame);
        }
        writer.finish();
    } catch (const std::runtime_error& e) {
        thrown = true;
        EXPECT_STREQ(e.what(), "disk full");
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(sink.numbers, (std::vector<std::int64_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(sink.finished, 0);
}

TEST(FrameWriterThread, CancelDropsWhatIsQueued) {
    RecordingSink sink;
    sink.delay = std::chrono::milliseconds(20);
    FrameWriterThread writer(sink, 2, 2, 3);
    for (int n = 0; n < 3; ++n) {
        Frame& frame = writer.acquire();
        frame.number = n;
        writer.submit(frame);
    }
    writer.cancel();
    EXPECT_LT(sink.numbers.size(), 3u);
    EXPECT_EQ(sink.finished, 0);
}

class PendingFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvo-pending-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir_))
            found.push_back(entry.path().filename().string());
        return found;
    }

    fs::path dir_;
};

TEST_F(PendingFileTest, TheFinalNameAppearsOnlyOnCommit) {
    {
        PendingFile file(dir_ / "out.mp4");
        EXPECT_EQ(file.temporaryPath().parent_path(), dir_);
        EXPECT_NE(file.temporaryPath().filename().string().find("out.mp4"), std::string::npos);
        write(file.temporaryPath(), "video");
        EXPECT_FALSE(fs::exists(dir_ / "out.mp4"));
        file.commit();
    }
    EXPECT_EQ(names(), std::vector<std::string>{"out.mp4"});
    {
        // Abandoned: the old file stays as it was, the temporary one goes.
        PendingFile file(dir_ / "out.mp4");
        write(file.temporaryPath(), "half a vid");
    }
    EXPECT_EQ(names(), std::vector<std::string>{"out.mp4"});
    std::ifstream in(dir_ / "out.mp4");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "video");
}

TEST_F(PendingFileTest, UnwritablePlacesAreRefusedUpFront) {
    write(dir_ / "plain", "x");
    fs::create_directory(dir_ / "sub");
    for (const fs::path& path :
         {dir_ / "missing" / "out.mp4", dir_ / "plain" / "out.mp4", dir_ / "sub"}) {
        SCOPED_TRACE(path.string());
        try {
            PendingFile file(path);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
        }
    }
}

TEST(ProgressLine, SaysFramesRateAndTimeLeft) {
    EXPECT_EQ(ProgressLine::format("rendering", 120, 600, 25.0),
              "rendering 120/600 frames (20%)  4.8 fps  1:40 left");
    EXPECT_EQ(ProgressLine::format("prerolling", 30, 10718, 2.0),
              "prerolling 30/10718 frames (0%)  15.0 fps  11:53 left");
    EXPECT_EQ(ProgressLine::format("rendering", 600, 600, 60.0),
              "rendering 600/600 frames (100%)  10.0 fps  0:00 left");
    EXPECT_EQ(ProgressLine::format("rendering", 0, 600, 1.5),
              "rendering 0/600 frames (0%)  0.0 fps  ? left");

    EXPECT_EQ(ProgressLine::duration(0.0), "0:00");
    EXPECT_EQ(ProgressLine::duration(7.4), "0:07");
    EXPECT_EQ(ProgressLine::duration(100.0), "1:40");
    EXPECT_EQ(ProgressLine::duration(3723.0), "1:02:03");
}

TEST(BenchReport, MedianAndMax) {
    struct Case {
        std::vector<double> samples;
        std::size_t count;
        double median, max;
    };
    const Case cases[] = {
        {{}, 0, 0.0, 0.0},
        {{4.0}, 1, 4.0, 4.0},
        {{9.0, 1.0, 5.0}, 3, 5.0, 9.0},
        {{10.0, 2.0, 4.0, 3.0}, 4, 3.5, 10.0},
        {{7.0, 7.0, 100.0, 7.0, 8.0}, 5, 7.0, 100.0},
    };
    for (const Case& c : cases) {
        const BenchReport::Summary s = BenchReport::summarize(c.samples);
        EXPECT_EQ(s.count, c.count);
        EXPECT_EQ(s.median, c.median);
        EXPECT_EQ(s.max, c.max);
    }
}

} // namespace
} // namespace Sorva
