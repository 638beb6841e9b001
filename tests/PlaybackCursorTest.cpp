// Tests of the SDL output's buffer filling and playback position, driven by
// hand with a fake clock instead of a sound card.
#include "sync/PlaybackCursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace Sorva {
namespace {

using Clock = PlaybackCursor::Clock;
using std::chrono::microseconds;

constexpr int rate = 44100;
constexpr int buffer = 512;

// Frame i holds the samples (i, -i), so any copied frame shows where it came from.
std::vector<std::int16_t> numberedTune(int frames) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(static_cast<std::int16_t>(i + 1));
        samples.push_back(static_cast<std::int16_t>(-(i + 1)));
    }
    return samples;
}

Clock::time_point at(long us) {
    return Clock::time_point(microseconds(1'000'000'000) + microseconds(us));
}

TEST(PlaybackCursorTest, FillsWithTheTuneThenSilence) {
    const auto tune = numberedTune(1000);
    PlaybackCursor cursor(rate);
    cursor.setTune(tune);
    // Buffers start out as junk so that a missing write shows.
    const struct {
        int firstFrame; // tune frame expected in the buffer's first slot
        int tuneFrames; // slots holding tune frames, the rest silent
    } buffers[] = {{0, 512}, {512, 488}, {1000, 0}};
    for (const auto& b : buffers) {
        SCOPED_TRACE(b.firstFrame);
        std::vector<std::int16_t> out(buffer * 2, 0x7777);
        cursor.fill(out.data(), buffer, at(0));
        for (int i = 0; i < buffer; ++i) {
            const std::int16_t want = i < b.tuneFrames ? b.firstFrame + i + 1 : 0;
            ASSERT_EQ(out[2 * i], want) << "slot " << i;
            ASSERT_EQ(out[2 * i + 1], -want) << "slot " << i;
        }
    }
}

TEST(PlaybackCursorTest, PositionInterpolatesAndClampsBetweenBuffers) {
    const auto tune = numberedTune(1200);
    PlaybackCursor cursor(rate);
    cursor.setTune(tune);
    std::vector<std::int16_t> out(buffer * 2);
    // fill: hand over a buffer at that time; otherwise read the position.
    const struct {
        bool fill;
        long us;
        double frames;
    } steps[] = {
        {false, 0, 0.0},         // nothing handed over yet
        {false, 50'000, 0.0},    // still nothing, however late
        {true, 100'000, 0.0},    // first buffer requested: frames 0..511
        {false, 100'000, 0.0},   // it starts playing now
        {false, 105'000, 220.5}, // 5 ms later
        {false, 150'000, 512.0}, // a late callback: held at what was handed
        {true, 150'000, 512.0},  // second buffer: 512..1023
        {false, 149'000, 512.0}, // a reading clock behind the callback
        {false, 151'000, 556.1},  {true, 160'000, 1024.0}, // third buffer: 1024..1199, then silence
        {false, 161'000, 1068.1}, {false, 170'000, 1200.0}, // the tune has ended
        {true, 171'000, 1200.0},                            // silence only from here
        {false, 171'000, 1200.0}, {false, 999'000, 1200.0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.us);
        if (s.fill)
            cursor.fill(out.data(), buffer, at(s.us));
        EXPECT_NEAR(cursor.position(at(s.us)), s.frames, 1e-6);
    }
}

TEST(PlaybackCursorTest, PositionNeverGoesBackWithJitteryCallbacks) {
    // Callbacks come early, late and in bursts; reads come in between at a
    // steadily advancing time.
    const int tuneFrames = 200'000;
    const auto tune = numberedTune(tuneFrames);
    for (const int buffered : {0, 1024}) {
        SCOPED_TRACE(buffered);
        PlaybackCursor cursor(rate);
        cursor.setTune(tune);
        cursor.setBufferedFrames(buffered);
        std::vector<std::int16_t> out(buffer * 2);
        std::mt19937 random(7);
        std::uniform_int_distribution<long> gap(0, 25'000);
        std::uniform_int_distribution<int> readsPerGap(0, 5);
        long now = 0;
        long handed = 0;
        double last = 0.0;
        while (handed < tuneFrames + 20 * buffer) {
            const long next = now + gap(random);
            const int reads = readsPerGap(random);
            for (int r = 1; r <= reads; ++r) {
                const long t = now + (next - now) * r / 6;
                const double p = cursor.position(at(t));
                ASSERT_GE(p, last) << "at " << t << " us";
                ASSERT_LE(p,
                          static_cast<double>(std::clamp<long>(handed - buffered, 0, tuneFrames)));
                last = p;
            }
            now = next;
            cursor.fill(out.data(), buffer, at(now));
            handed += buffer;
        }
        EXPECT_EQ(cursor.position(at(now)), tuneFrames);
        EXPECT_EQ(cursor.position(at(now + 10'000'000)), tuneFrames);
    }
}

TEST(PlaybackCursorTest, PositionLagsWhatWasHandedOverByTheBufferedFrames) {
    // Two buffers still in the device: what is handed over is heard 1024
    // frames later, and the tune's end once that much silence has followed.
    const auto tune = numberedTune(1200);
    PlaybackCursor cursor(rate);
    cursor.setTune(tune);
    cursor.setBufferedFrames(1024);
    std::vector<std::int16_t> out(buffer * 2);
    const struct {
        bool fill;
        long us;
        double frames;
    } steps[] = {
        {false, 0, 0.0},          // not started
        {true, 100'000, 0.0},     // first buffer: 0 handed, not -1024
        {false, 105'000, 0.0},    // 220.5 handed
        {true, 112'000, 0.0},     // 512 handed
        {true, 124'000, 0.0},     // 1024 handed: the first frame is heard now
        {false, 125'000, 44.1},   // 1 ms later
        {false, 140'000, 512.0},  // a late callback: held at 1536 handed
        {true, 140'000, 512.0},   // no jump when it comes
        {true, 150'000, 1024.0},  // 2048 handed, silence after 1200
        {false, 151'000, 1068.1}, //
        {false, 160'000, 1200.0}, // the tune's end heard, and held there
        {false, 999'000, 1200.0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.us);
        if (s.fill)
            cursor.fill(out.data(), buffer, at(s.us));
        EXPECT_NEAR(cursor.position(at(s.us)), s.frames, 1e-6);
    }
}

TEST(PlaybackCursorTest, ReaderOnAnotherThreadSeesAConsistentPosition) {
    // A torn read (one buffer's base with another's time or limit) would show
    // as a position that goes back or runs past what was handed over.
    const int tuneFrames = 1'000'000;
    const auto tune = numberedTune(tuneFrames);
    PlaybackCursor cursor(rate);
    cursor.setTune(tune);
    std::atomic<long> handed{0};
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<std::int16_t> out(64 * 2);
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(200);
        for (long i = 1; Clock::now() < until; ++i) {
            cursor.fill(out.data(), 64, Clock::now());
            handed.store(i * 64, std::memory_order_release);
            std::this_thread::sleep_for(microseconds(50));
        }
        done = true;
    });
    double last = 0.0;
    long reads = 0, backwards = 0, beyond = 0;
    while (!done) {
        const double p = cursor.position(Clock::now());
        const long bound = handed.load(std::memory_order_acquire) + 64;
        backwards += p < last;
        beyond += p > bound;
        last = p;
        ++reads;
    }
    audio.join();
    EXPECT_GT(reads, 1000);
    EXPECT_EQ(backwards, 0);
    EXPECT_EQ(beyond, 0);
}

} // namespace
} // namespace Sorva
