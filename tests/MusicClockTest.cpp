// Music clock tests without GL: what the decoder accepts and refuses, and the
// row time of a clock playing on the silent output.
#include "sync/MusicClock.h"
#include "sync/Rexception.h"
#include "sync/SilentAudioOutput.h"
#include "sync/TuneDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace Sorva {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double demoBpm = 131.0;
constexpr double demoRowsPerSecond = 131.0 / 60.0 * 8.0;

std::string fixture(const std::string& name) {
    return std::string(HALVO_CLOCK_FIXTURES) + "/" + name;
}

std::unique_ptr<AudioOutput> silentOutput() {
    return std::make_unique<SilentAudioOutput>();
}

// An output frozen at a chosen position, for the row arithmetic.
class FixedOutput : public AudioOutput {
public:
    explicit FixedOutput(double frames) : frames_(frames) {}
    void setTune(std::span<const std::int16_t>) override {}
    void start() override {}
    double position() const override { return frames_; }
    void seek(double frames) override { frames_ = frames; }
    void setPaused(bool) override {}

private:
    double frames_;
};

std::string openError(MusicClock& clock, const std::string& path, double bpm = demoBpm) {
    try {
        clock.open(path.c_str(), bpm);
    } catch (const Rexception& e) {
        return e.what();
    }
    return "";
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A row read together with the time it was taken, retried until the read was
// not preempted, so that a busy machine does not skew the measured rate.
struct TimedRow {
    Clock::time_point at;
    double row;
};

TimedRow timedRow(const MusicClock& clock) {
    for (;;) {
        const Clock::time_point before = Clock::now();
        const double row = clock.row();
        const Clock::time_point after = Clock::now();
        if (after - before < std::chrono::microseconds(200))
            return {before + (after - before) / 2, row};
    }
}

TEST(TuneDecoderTest, DecodesExactlyTheSamplesGivenToTheEncoder) {
    // lame pads the start and the end; its LAME tag says by how much, and
    // gapless decoding must take exactly that off again.
    const struct {
        const char* file;
        std::int64_t frames;
    } cases[] = {{"good.mp3", 176400}, {"short.mp3", 44100}, {"odd.mp3", 50001}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto samples = decodeTune(fixture(c.file).c_str());
        ASSERT_TRUE(samples.has_value());
        EXPECT_EQ(static_cast<std::int64_t>(samples->size()), c.frames * 2);
    }
}

TEST(TuneDecoderTest, FirstDecodedFrameIsTheFirstRealSample) {
    // The fixture tone starts at frame 4410 after silence and first reaches
    // half its amplitude (4000) 8.4 frames later. An encoder delay left in
    // would move that by hundreds of frames (1105 for lame's defaults).
    const auto samples = decodeTune(fixture("good.mp3").c_str());
    ASSERT_TRUE(samples.has_value());
    std::int64_t onset = -1;
    for (std::size_t i = 0; i < samples->size(); i += 2) {
        if (std::abs((*samples)[i]) > 4000) {
            onset = static_cast<std::int64_t>(i / 2);
            break;
        }
    }
    EXPECT_NEAR(onset, 4418, 20);
}

TEST(TuneDecoderTest, UntaggedFileDecodesWhole) {
    // Without the LAME tag nothing tells the padding: every encoded frame of
    // 1152 samples comes out, at least the samples given to the encoder.
    const auto samples = decodeTune(fixture("untagged.mp3").c_str());
    ASSERT_TRUE(samples.has_value());
    EXPECT_EQ(samples->size() / 2 % 1152, 0u);
    EXPECT_GE(samples->size() / 2, 176400u);
}

TEST(MusicClockTest, RefusesEveryTuneThatWouldNotPlayToItsEnd) {
    // Each refusal is "Failed to open tune." after one stderr line that
    // names the file and starts to say why.
    const struct {
        const char* file;
        const char* why;
    } files[] = {
        {"missing.mp3", "No such file or directory"},
        {"empty.mp3", "an empty file"},
        {"junk.mp3", "not MP3 audio"},      // random bytes
        {"text.mp3", "not MP3 audio"},      // a C++ source file
        {"cut-end.mp3", "cut short: 3.9"},  // 3.998 s decoded of 4.000 s
        {"cut-half.mp3", "cut short: 1.9"}, // 1.986 s
        {"untagged-cut.mp3", "cut short: its last MP3 frame is incomplete"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        MusicClock clock(&silentOutput);
        testing::internal::CaptureStderr();
        EXPECT_EQ(openError(clock, fixture(f.file)), "Failed to open tune.");
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_EQ(error.rfind("Cannot open tune " + fixture(f.file) + ": " + f.why, 0), 0u)
            << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_EQ(clock.tuneFrames(), 0);
    }
}

TEST(MusicClockTest, OpensTunesWithTagsAndJunkAsPlayersDo) {
    // 176400 frames given to lame. Without the LAME tag its 576-frame delay
    // and 1584-frame padding stay in: 155 whole frames of 1152.
    const struct {
        const char* file;
        std::int64_t frames;
    } cases[] = {
        {"good.mp3", 176400},          // LAME tag
        {"untagged.mp3", 178560},      // none
        {"tags.mp3", 176400},          // ID3v2 before, APEv2 and ID3v1 after
        {"untagged-tags.mp3", 178560}, // no LAME tag; APEv2 and ID3v1 after
        {"gap.mp3", 176400},           // 7 junk bytes between two frames
        {"spliced.mp3", 176400},       // 300 junk bytes inside a frame
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        MusicClock clock(&silentOutput);
        EXPECT_EQ(openError(clock, fixture(c.file)), "");
        EXPECT_EQ(clock.tuneFrames(), c.frames);
    }
}

TEST(MusicClockTest, NoAudioOutputFailsBeforeTheTuneIsRead) {
    // The output comes first: without one the clock reports it even when the
    // tune is missing too, and does not decode a good tune.
    for (const char* file : {"missing.mp3", "good.mp3"}) {
        SCOPED_TRACE(file);
        MusicClock clock([] { return std::unique_ptr<AudioOutput>(); });
        EXPECT_EQ(openError(clock, fixture(file)), "Fial! BASS!");
        EXPECT_EQ(clock.tuneFrames(), 0);
        EXPECT_EQ(clock.row(), 0.0);
    }
}

TEST(MusicClockTest, RowIsSecondsTimesEightRowsPerBeat) {
    const struct {
        double bpm;
        double frames;
        double row;
    } cases[] = {
        {131.0, 0.0, 0.0},
        {131.0, 44100.0, 17.466666666666667},
        {131.0, 60.0 * 44100.0, 1048.0},
        {120.0, 22050.0, 8.0},
        {131.0, 1.0, 17.466666666666667 / 44100.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        MusicClock clock([&] { return std::make_unique<FixedOutput>(c.frames); });
        ASSERT_EQ(openError(clock, fixture("short.mp3"), c.bpm), "");
        EXPECT_NEAR(clock.row(), c.row, 1e-9);
    }
}

TEST(MusicClockTest, RowIsZeroUntilStarted) {
    MusicClock clock(&silentOutput);
    EXPECT_EQ(clock.row(), 0.0);
    ASSERT_EQ(openError(clock, fixture("good.mp3")), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(clock.row(), 0.0);
}

TEST(MusicClockTest, SilentClockRunsAtTheTempo) {
    MusicClock clock(&silentOutput);
    ASSERT_EQ(openError(clock, fixture("good.mp3")), "");
    clock.start();
    const TimedRow first = timedRow(clock);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const TimedRow second = timedRow(clock);
    const double rate = (second.row - first.row) / seconds(second.at - first.at);
    EXPECT_NEAR(rate, demoRowsPerSecond, demoRowsPerSecond * 0.005);
}

TEST(MusicClockTest, SilentClockNeverGoesBackAndHoldsAtTheEnd) {
    // short.mp3 holds 44100 frames: one second, 17.4666 rows.
    MusicClock clock(&silentOutput);
    ASSERT_EQ(openError(clock, fixture("short.mp3")), "");
    clock.start();
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(1300);
    double last = clock.row();
    long reads = 0, backwards = 0;
    while (Clock::now() < until) {
        const double row = clock.row();
        if (row < last)
            ++backwards;
        last = row;
        ++reads;
    }
    EXPECT_GT(reads, 1000);
    EXPECT_EQ(backwards, 0);
    EXPECT_NEAR(last, demoRowsPerSecond, 1e-9);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(clock.row(), last);
}

TEST(MusicClockTest, SeekAndPauseMoveTheSilentClockAndHoldIt) {
    // good.mp3 holds 4 s: 69.87 rows.
    MusicClock clock(&silentOutput);
    ASSERT_EQ(openError(clock, fixture("good.mp3")), "");
    clock.start();
    clock.seek(40.0);
    const double afterSeek = clock.row();
    EXPECT_GE(afterSeek, 40.0);
    EXPECT_LT(afterSeek, 40.5);

    clock.setPaused(true);
    const double held = clock.row();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(clock.row(), held);
    clock.seek(10.0); // a seek while paused moves the held row
    EXPECT_DOUBLE_EQ(clock.row(), 10.0);

    clock.setPaused(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double played = clock.row();
    EXPECT_NEAR(played, 10.0 + 0.2 * demoRowsPerSecond, 1.5);

    // Seeks clamp to the tune; the clock then holds at its end.
    clock.seek(1e6);
    EXPECT_NEAR(clock.row(), clock.tuneRows(), 1e-9);
    EXPECT_TRUE(clock.finished());
    clock.seek(-5.0);
    EXPECT_LT(clock.row(), 0.5);
}

} // namespace
} // namespace Sorva
