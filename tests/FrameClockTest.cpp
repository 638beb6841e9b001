// The capture tool's fixed time step: the music row of frame n is
// n / fps x 131 / 60 x 8 to the last bit, read through the real music clock
// opened on a hand-moved output.
#include "sync/FrameClock.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace Sorva {
namespace {

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto output = std::make_unique<ManualAudioOutput>();
        output_ = output.get();
        clock_.open(HALVO_TEST_TUNE, 131.0, std::move(output));
        clock_.start();
    }

    MusicClock clock_{nullptr};
    ManualAudioOutput* output_ = nullptr;
};

// Exact in long double for the frame numbers used here.
long double exactRow(long long frame, int fps) {
    return static_cast<long double>(frame) * 131 * 8 / (60.0L * fps);
}

TEST_F(FrameClockTest, RowOfFrameNIsNOverFpsInRows) {
    struct Case {
        int fps;
        long long frame;
    };
    const Case cases[] = {
        {60, 0}, {60, 1}, {60, 2}, {60, 59}, {60, 60}, {60, 3600}, {60, 10000}, {60, 10717},
        {30, 0}, {30, 1}, {30, 2}, {30, 29}, {30, 30}, {30, 1800}, {30, 5000},  {30, 5358},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("frame " + std::to_string(c.frame) + " at " + std::to_string(c.fps) + " fps");
        FrameClock frames(c.fps, *output_);
        frames.seek(c.frame);
        const double row = clock_.row();
        EXPECT_NEAR(static_cast<long double>(row), exactRow(c.frame, c.fps), 1e-9L);
        EXPECT_EQ(frames.seconds(c.frame), static_cast<double>(c.frame) / c.fps);
    }
    // Frame 0 is the very start, frame 1 one step later: 131 / 60 x 8 / 60 rows.
    FrameClock frames(60, *output_);
    frames.seek(0);
    EXPECT_EQ(clock_.row(), 0.0);
    frames.seek(1);
    EXPECT_NEAR(clock_.row(), 1048.0 / 3600.0, 1e-15);
}

TEST_F(FrameClockTest, EveryStepAdvancesTheSameNumberOfRows) {
    for (const int fps : {30, 60}) {
        FrameClock frames(fps, *output_);
        const double step = 1048.0 / 60.0 / fps;
        frames.seek(0);
        double previous = clock_.row();
        for (long long n = 1; n <= 3 * fps; ++n) {
            frames.seek(n);
            const double row = clock_.row();
            ASSERT_NEAR(row - previous, step, 1e-12) << "frame " << n << " at " << fps << " fps";
            previous = row;
        }
        EXPECT_DOUBLE_EQ(frames.frameStep(), 1.0 / fps);
    }
}

TEST_F(FrameClockTest, TheRowHoldsAtTheTunesEnd) {
    FrameClock frames(60, *output_);
    const std::int64_t end = frames.tuneEndFrame(output_->tuneFrames());
    frames.seek(end - 1);
    const double beforeEnd = clock_.row();
    frames.seek(end);
    const double atEnd = clock_.row();
    frames.seek(end + 600);
    EXPECT_LT(beforeEnd, atEnd);
    EXPECT_EQ(clock_.row(), atEnd);
    EXPECT_NEAR(atEnd, output_->tuneFrames() / 44100.0 * 131.0 / 60.0 * 8.0, 1e-9);
}

TEST(FrameClock, FrameOfATimeAndTheTunesEndFrame) {
    ManualAudioOutput output;
    struct Case {
        int fps;
        double seconds;
        std::int64_t frame;
    };
    const Case cases[] = {
        {60, 0.0, 0},       {60, 1.5, 90},       {60, 20.0, 1200},
        {60, 0.01, 1},      {30, 0.1, 3}, // 0.1 x 30 is 3.0000000000000004 in doubles
        {30, 0.333333, 10}, {24, 178.625, 4287}, {60, 178.625, 10718},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameClock(c.fps, output).frameAt(c.seconds), c.frame)
            << c.seconds << " s at " << c.fps << " fps";

    // Times no show reaches saturate instead of overflowing the frame number,
    // so that the tool can refuse them as past the show's end.
    const double inf = std::numeric_limits<double>::infinity();
    const Case far[] = {
        {60, 1e300, FrameClock::lastFrame},
        {240, 1e300, FrameClock::lastFrame},
        {60, std::numeric_limits<double>::max(), FrameClock::lastFrame},
        {60, inf, FrameClock::lastFrame},
        {60, std::nan(""), FrameClock::lastFrame},
        {60, 1e12, 60'000'000'000'000},
        {60, -1.0, 0},
        {60, -inf, 0},
        {60, -1e300, 0},
    };
    for (const Case& c : far)
        EXPECT_EQ(FrameClock(c.fps, output).frameAt(c.seconds), c.frame)
            << c.seconds << " s at " << c.fps << " fps";
    // Far beyond a show of a day at the highest rate, and exact in a double.
    EXPECT_GT(FrameClock::lastFrame, std::int64_t{86400} * 240 * 1000);
    EXPECT_EQ(static_cast<std::int64_t>(static_cast<double>(FrameClock::lastFrame)),
              FrameClock::lastFrame);

    // The first frame whose position is at or past the last sample.
    EXPECT_EQ(FrameClock(60, output).tuneEndFrame(44100), 60);
    EXPECT_EQ(FrameClock(60, output).tuneEndFrame(44101), 61);
    EXPECT_EQ(FrameClock(60, output).tuneEndFrame(7917802), 10773);
    EXPECT_EQ(FrameClock(30, output).tuneEndFrame(7917802), 5387);
}

} // namespace
} // namespace Sorva
