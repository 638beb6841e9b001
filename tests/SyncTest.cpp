// Sync tracks without GL: evaluation, file naming, loading through the device
// and the handling of malformed track files.
#include "sync/SyncDevice.h"
#include "sync/SyncTrack.h"
#include "sync/Track.h"
#include "sync/TrackFile.h"

#include "tests/AllocationCount.h"

#include "tests/ScratchDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace Sorva;

constexpr int step = 0, linear = 1, smooth = 2, ramp = 3;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

SyncTrack makeTrack(const std::vector<SyncKey>& keys) {
    SyncTrack track;
    track.keyCount = std::int32_t(keys.size());
    track.keys = std::make_unique<SyncKey[]>(keys.size());
    std::copy(keys.begin(), keys.end(), track.keys.get());
    return track;
}

// Track file bytes with any count and any number of raw key bytes.
std::string fileWithCount(std::int32_t count, const std::vector<SyncKey>& keys) {
    std::string bytes = trackFileBytes(keys.data(), std::int32_t(keys.size()));
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(i)] = char(std::uint32_t(count) >> (8 * i));
    return bytes;
}

// A scratch working directory for the duration of a test.
class ScratchDir {
public:
    ScratchDir() : previous_(std::filesystem::current_path()) {
        path_ = Sorva::Test::makeScratchDir("synctest");
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(name, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

TEST(SyncEvaluate, ValuesAtRows) {
    const SyncTrack none;
    const SyncTrack one = makeTrack({{5, 2.5f, linear}});
    const SyncTrack lin = makeTrack({{10, 0.0f, linear}, {20, 10.0f, step}});
    const SyncTrack smo = makeTrack({{0, 0.0f, smooth}, {4, 1.0f, step}});
    const SyncTrack rmp = makeTrack({{0, 0.0f, ramp}, {4, 1.0f, step}});
    const SyncTrack stp = makeTrack({{0, 3.0f, step}, {10, 7.0f, step}});
    const SyncTrack below = makeTrack({{-10, 1.0f, step}, {-5, 2.0f, linear}, {-1, 6.0f, step}});
    const SyncTrack bad = makeTrack({{0, 3.0f, 4}, {10, 7.0f, step}});
    const SyncTrack neg = makeTrack({{0, 3.0f, -1}, {10, 7.0f, step}});
    // d is the float difference: 1 - 1e-8 rounds to 1 in single precision.
    const SyncTrack fine = makeTrack({{0, 1e-8f, linear}, {2, 1.0f, step}});
    const SyncTrack edges = makeTrack({{std::numeric_limits<std::int32_t>::min(), -1.0f, linear},
                                       {std::numeric_limits<std::int32_t>::max(), 1.0f, step}});
    struct Case {
        const char* what;
        const SyncTrack& track;
        double row;
        double expected;
    } cases[] = {
        {"no keys", none, 12.0, 0.0},
        {"no keys, NaN row", none, nan, 0.0},
        {"one key, before", one, -100.0, 2.5},
        {"one key, on", one, 5.0, 2.5},
        {"one key, after", one, 1e6, 2.5},
        {"before first key, whatever its type", lin, 9.99, 0.0},
        {"at last key", lin, 20.0, 10.0},
        {"after last key", lin, 25.5, 10.0},
        {"linear on the first key", lin, 10.0, 0.0},
        {"linear uses the unfloored row", lin, 15.5, 5.5},
        {"linear just before the next key", lin, 19.75, 9.75},
        {"smooth", smo, 1.0, 0.15625},
        {"smooth halfway", smo, 2.0, 0.5},
        {"ramp", rmp, 1.0, 0.0625},
        {"ramp unfloored", rmp, 2.0, 0.25},
        {"step holds", stp, 9.999, 3.0},
        {"step jumps on the next key", stp, 10.0, 7.0},
        {"negative rows floor downwards", below, -5.5, 1.0},
        {"negative key row hit", below, -5.0, 2.0},
        {"negative unfloored t", below, -2.5, 4.5},
        {"unknown type 4", bad, 5.0, 0.0},
        {"unknown type -1", neg, 5.0, 0.0},
        {"unknown type ignored before the segment", bad, -1.0, 3.0},
        {"single-precision difference", fine, 1.0, double(1e-8f) + 0.5},
        {"NaN row gives the first key", lin, nan, 0.0},
        {"infinite row", lin, inf, 10.0},
        {"negative infinite row", lin, -inf, 0.0},
        {"row beyond the int range", lin, 1e300, 10.0},
        {"row below the int range", lin, -1e300, 0.0},
        {"extreme keys, row beyond", edges, 3e9, 1.0},
        {"extreme keys, row below", edges, -3e9, -1.0},
        {"extreme keys, middle", edges, -0.5, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(evaluate(c.track, c.row), c.expected) << c.what;
}

TEST(SyncEvaluate, FindsTheSegmentAmongManyKeys) {
    // Steps at rows 0, 3, 6, ... with value = index: every row lands on the
    // key at or before it, which catches off-by-one errors in the search.
    std::vector<SyncKey> keys;
    for (int i = 0; i < 1000; ++i)
        keys.push_back({3 * i, float(i), step});
    const SyncTrack track = makeTrack(keys);
    for (int row = -2; row < 3000 + 5; ++row) {
        const double expected = row < 0 ? 0.0 : std::min(row / 3, 999);
        ASSERT_EQ(evaluate(track, row + 0.5), expected) << row;
    }
}

TEST(SyncEvaluate, KeysOutOfOrderStayWithinTheirValues) {
    const SyncTrack track = makeTrack(
        {{10, 1.0f, linear}, {5, 2.0f, smooth}, {5, 3.0f, ramp}, {-7, 4.0f, linear}, {8, 5.0f, 1}});
    for (double row = -20.0; row < 20.0; row += 0.25) {
        const double v = evaluate(track, row);
        EXPECT_TRUE(v >= 1.0 && v <= 5.0) << row << " gives " << v;
    }
}

TEST(SyncNames, Encoding) {
    const std::string a256(256, 'a'), a257(257, 'a'), a258(258, 'a');
    struct Case {
        std::string name;
        std::string encoded;
    } cases[] = {
        {"e", "e"},
        {"data/science", "data-2Fscience"},
        {"letterbox-r", "letterbox-2Dr"},
        {"a:b c", "a-3Ab-20c"},
        {"Az09._", "Az09._"},
        {std::string("\x00\xff", 2), "-00-FF"},
        {std::string(300, 'a'), std::string(259, 'a')},
        {a256 + "-", a256 + "-2D"},
        {a257 + "-bb", a257},           // no room for an escape: encoding stops
        {a258 + "bb", a258 + "b"},      // letters go on up to 259
        {a256 + "-bbbb", a256 + "-2D"}, // stops at 259 after the escape
    };
    for (const Case& c : cases)
        EXPECT_EQ(encodeSyncName(c.name), c.encoded) << c.name;
}

TEST(SyncNames, TrackPaths) {
    const SyncDevice device(syncBasePath);
    const SyncDevice longBase(std::string(300, 'b'));
    const std::string prefix = "data-2Fscience_";
    EXPECT_EQ(device.trackPath("e"), "data-2Fscience_e.track");
    EXPECT_EQ(device.trackPath("pball-cam-fov"), "data-2Fscience_pball-2Dcam-2Dfov.track");
    EXPECT_EQ(device.trackPath(std::string(300, 'a')), prefix + std::string(244, 'a'));
    EXPECT_EQ(device.trackPath(std::string(240, 'a')), prefix + std::string(240, 'a') + ".tra");
    EXPECT_EQ(longBase.trackPath("e"), std::string(259, 'b'));
}

TEST(SyncDevice, LoadsTrackFiles) {
    ScratchDir dir;
    SyncDevice device(syncBasePath);
    dir.write("data-2Fscience_fade-2Din.track",
              trackFileBytes(std::vector<SyncKey>{{0, 0.0f, linear}, {8, 2.0f, step}}.data(), 2));
    dir.write("data-2Fscience_zero.track", fileWithCount(0, {}));

    const SyncTrack& fade = device.getTrack("fade-in");
    EXPECT_EQ(fade.name, "fade-in");
    ASSERT_EQ(fade.keyCount, 2);
    EXPECT_EQ(evaluate(fade, 2.0), 0.5);
    EXPECT_EQ(device.getTrack("zero").keyCount, 0);
    EXPECT_EQ(evaluate(device.getTrack("zero"), 3.0), 0.0);
    EXPECT_EQ(device.getTrack("missing").keyCount, 0);
    EXPECT_EQ(evaluate(device.getTrack("missing"), 3.0), 0.0);

    // Read once: with the file gone the same track and keys come back.
    std::filesystem::remove("data-2Fscience_fade-2Din.track");
    EXPECT_EQ(&device.getTrack("fade-in"), &fade);
    EXPECT_EQ(fade.keyCount, 2);
    // Names match byte for byte.
    EXPECT_NE(&device.getTrack("Fade-in"), &fade);
    EXPECT_NE(&device.getTrack(std::string("fade-in\0", 8)), &fade);
}

TEST(SyncDevice, MalformedFiles) {
    const SyncKey k0{0, 1.0f, linear}, k1{10, 2.0f, step}, k2{20, 3.0f, step};
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<SyncKey> expected;
    } cases[] = {
        {"empty file", "", {}},
        {"part of the count", std::string("\x02\x00", 2), {}},
        {"shorter than its count", fileWithCount(3, {k0, k1}), {k0, k1}},
        {"partial last key dropped",
         fileWithCount(3, {k0, k1, k2}).substr(0, 4 + 9 * 2 + 5),
         {k0, k1}},
        {"negative count", fileWithCount(-2, {k0, k1}), {}},
        {"most negative count", fileWithCount(std::numeric_limits<std::int32_t>::min(), {k0}), {}},
        {"huge count, one key",
         fileWithCount(std::numeric_limits<std::int32_t>::max(), {k0}),
         {k0}},
        {"huge count, no key", fileWithCount(std::numeric_limits<std::int32_t>::max(), {}), {}},
        {"bytes after the last key ignored", fileWithCount(1, {k0, k1}) + "xyz", {k0}},
        {"type byte sign-extended", fileWithCount(1, {{0, 1.0f, -128}}), {{0, 1.0f, -128}}},
    };
    ScratchDir dir;
    SyncDevice device(syncBasePath);
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = std::to_string(n++) + "t";
        dir.write(device.trackPath(name), c.bytes);
        const SyncTrack& track = device.getTrack(name);
        ASSERT_EQ(track.keyCount, std::int32_t(c.expected.size())) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(track.keys[i].row, c.expected[i].row) << c.what;
            EXPECT_EQ(track.keys[i].value, c.expected[i].value) << c.what;
            EXPECT_EQ(track.keys[i].type, c.expected[i].type) << c.what;
        }
    }
}

TEST(SyncDevice, LyingCountAllocatesOnlyWhatTheFileHolds) {
    ScratchDir dir;
    SyncDevice device(syncBasePath);
    for (const std::int32_t count : {1000, 1 << 24, std::numeric_limits<std::int32_t>::max()}) {
        const std::string name = "lie" + std::to_string(count);
        dir.write(device.trackPath(name), fileWithCount(count, {{0, 1.0f, step}}));
        AllocationCount allocations;
        const SyncTrack& track = device.getTrack(name);
        const std::size_t allocated = allocations.bytes();
        EXPECT_EQ(track.keyCount, 1);
        // The track, its name, the path and one key; not the announced keys.
        EXPECT_LT(allocated, 400u) << count;
    }
}

TEST(SyncTrackHandle, ReadsTheProcessDeviceAtTheClockRow) {
    ScratchDir dir;
    const std::vector<SyncKey> keys{{-10, 1.0f, linear}, {10, 3.0f, step}};
    dir.write("data-2Fscience_handle-2Dtest.track", trackFileBytes(keys.data(), 2));
    const Track a("handle-test");
    const Track copy = a;
    const Track again("handle-test");
    // The clock has not started: row 0, halfway between the keys.
    EXPECT_EQ(a.value(), 2.0);
    EXPECT_EQ(&copy.syncTrack(), &a.syncTrack());
    EXPECT_EQ(&again.syncTrack(), &a.syncTrack());
    EXPECT_EQ(&a.syncTrack(), &SyncDevice::instance().getTrack("handle-test"));
}

} // namespace
