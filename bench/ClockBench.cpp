// Cost of asking for the music time: MusicClock::row() on a running silent
// clock, and Track::value(), which reads the clock on every call.
#include "sync/MusicClock.h"
#include "sync/PlaybackCursor.h"
#include "sync/SilentAudioOutput.h"
#include "sync/SyncDevice.h"
#include "sync/Track.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

namespace {

using namespace Sorva;

constexpr double demoBpm = 131.0;

void rowOfSilentClock(benchmark::State& state) {
    MusicClock clock([] { return std::make_unique<SilentAudioOutput>(); });
    clock.open(HALVO_BENCH_TUNE, demoBpm);
    clock.start();
    for (auto _ : state)
        benchmark::DoNotOptimize(clock.row());
}
BENCHMARK(rowOfSilentClock);

// The position read of the SDL output (no device here): one buffer handed
// over, then the sequence-locked read and the clock interpolation.
void positionOfPlaybackCursor(benchmark::State& state) {
    const std::vector<std::int16_t> tune(44100 * 2 * 10);
    PlaybackCursor cursor(44100);
    cursor.setTune(tune);
    std::vector<std::int16_t> buffer(512 * 2);
    cursor.fill(buffer.data(), 512, PlaybackCursor::Clock::now());
    for (auto _ : state)
        benchmark::DoNotOptimize(cursor.position(PlaybackCursor::Clock::now()));
}
BENCHMARK(positionOfPlaybackCursor);

// A track file of 64 keys, one every 16 rows, cycling through the four
// interpolation types: little-endian count, then row, value, type per key.
void writeTrack(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    const std::int32_t count = 64;
    out.write(reinterpret_cast<const char*>(&count), 4);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t row = i * 16;
        const float value = static_cast<float>(i % 7) * 0.5f;
        const std::int8_t type = static_cast<std::int8_t>(i % 4);
        out.write(reinterpret_cast<const char*>(&row), 4);
        out.write(reinterpret_cast<const char*>(&value), 4);
        out.write(reinterpret_cast<const char*>(&type), 1);
    }
}

// Tracks read the one clock and the one device, which loads from the working
// directory; set up once per process, in a directory of our own.
const Track& benchTrack() {
    static const Track track = [] {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("halvo-bench-clock-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        writeTrack(SyncDevice::instance().trackPath("bench-value"));
        setenv("HALVO_AUDIO", "silent", 1);
        MusicClock::instance().open(HALVO_BENCH_TUNE, demoBpm);
        MusicClock::instance().start();
        Track loaded("bench-value");
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        std::filesystem::remove_all(dir);
        return loaded;
    }();
    return track;
}

void trackValueAtTheClock(benchmark::State& state) {
    const Track& track = benchTrack();
    for (auto _ : state)
        benchmark::DoNotOptimize(track.value());
    state.counters["keys"] = track.syncTrack().keyCount;
    state.counters["row"] = MusicClock::instance().row();
}
BENCHMARK(trackValueAtTheClock);

} // namespace

BENCHMARK_MAIN();
