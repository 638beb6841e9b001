// Randomly corrupted track files, loaded and evaluated under AddressSanitizer
// and UBSan: only whole keys present are kept, nothing beyond what the file
// holds is allocated, and every row evaluates within the keys' values.
#include "sync/SyncDevice.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*,
                                                                          std::size_t),
                                                         void (*onFree)(const volatile void*));

namespace {

using namespace Sorva;
using Rng = std::mt19937_64;

// The largest single allocation while watching.
bool watching = false;
std::size_t largestAllocation = 0;
void onMalloc(const volatile void*, std::size_t size) {
    if (watching)
        largestAllocation = std::max(largestAllocation, size);
}
void onFree(const volatile void*) {}

// An unbuffered read-only stream over bytes, seekable or like a pipe.
struct MemoryStream {
    const std::string* bytes;
    std::size_t pos = 0;
};

ssize_t streamRead(void* cookie, char* buffer, std::size_t size) {
    auto* s = static_cast<MemoryStream*>(cookie);
    const std::size_t n = std::min(size, s->bytes->size() - s->pos);
    std::memcpy(buffer, s->bytes->data() + s->pos, n);
    s->pos += n;
    return ssize_t(n);
}

int streamSeek(void* cookie, off64_t* offset, int whence) {
    auto* s = static_cast<MemoryStream*>(cookie);
    const off64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? off64_t(s->pos)
                                              : off64_t(s->bytes->size());
    const off64_t to = base + *offset;
    if (to < 0 || to > off64_t(s->bytes->size()))
        return -1;
    s->pos = std::size_t(to);
    *offset = to;
    return 0;
}

std::FILE* openStream(MemoryStream& stream, bool seekable) {
    cookie_io_functions_t io{streamRead, nullptr, seekable ? streamSeek : nullptr, nullptr};
    std::FILE* file = fopencookie(&stream, "rb", io);
    if (file)
        std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

std::uint32_t loadU32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | std::uint8_t(b[at + std::size_t(i)]);
    return v;
}

std::int32_t expectedKeyCount(const std::string& bytes) {
    if (bytes.size() < 4)
        return 0;
    const auto announced = std::int32_t(loadU32(bytes, 0));
    return std::max(0, std::int32_t(std::min<std::size_t>(std::size_t(std::max(announced, 0)),
                                                          (bytes.size() - 4) / 9)));
}

std::int32_t pick(Rng& rng, std::initializer_list<std::int32_t> from) {
    return *(from.begin() + rng() % from.size());
}

std::string randomFile(Rng& rng) {
    if (rng() % 4 == 0) {
        std::string bytes(rng() % 120, '\0');
        for (char& c : bytes)
            c = char(rng());
        return bytes;
    }
    // Mostly well-formed keys, then corrupted.
    const int n = int(rng() % 40);
    std::vector<SyncKey> keys;
    std::int32_t row = rng() % 8 == 0 ? pick(rng, {std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max() - 500})
                                      : std::int32_t(rng() % 2000) - 1000;
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    for (int i = 0; i < n && row < std::numeric_limits<std::int32_t>::max() - 60; ++i) {
        float v = value(rng);
        if (rng() % 16 == 0)
            v = float(pick(rng, {1, -1})) * std::numeric_limits<float>::max();
        const std::int32_t type = rng() % 10 == 0 ? std::int8_t(rng()) : std::int32_t(rng() % 4);
        keys.push_back({row, v, type});
        row += 1 + std::int32_t(rng() % 50);
    }
    std::string bytes = trackFileBytes(keys.data(), std::int32_t(keys.size()));
    if (rng() % 3 == 0) {
        const std::int32_t count =
            pick(rng, {0, -1, n + 1, n + 7, std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max(), std::int32_t(rng())});
        for (int i = 0; i < 4; ++i)
            bytes[std::size_t(i)] = char(std::uint32_t(count) >> (8 * i));
    }
    if (rng() % 3 == 0)
        bytes.resize(rng() % (bytes.size() + 1));
    if (rng() % 4 == 0) {
        for (int flips = 1 + int(rng() % 5); flips > 0 && !bytes.empty(); --flips)
            bytes[rng() % bytes.size()] = char(rng());
    }
    if (rng() % 4 == 0)
        bytes.append(rng() % 20, char(rng()));
    return bytes;
}

std::vector<double> rowsToTry(const SyncTrack& track, Rng& rng) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<double> rows{std::nan(""), inf,  -inf,         1e300,         -1e300,
                             3e9,          -3e9, 2147483647.5, -2147483648.5, 0.0};
    for (std::int32_t i = 0; i < track.keyCount; ++i) {
        const double r = track.keys[i].row;
        rows.insert(rows.end(), {r, r + 0.5, r - 0.5});
    }
    if (track.keyCount > 0) {
        const double a = track.keys[0].row, b = track.keys[track.keyCount - 1].row;
        std::uniform_real_distribution<double> within(std::min(a, b) - 5.0, std::max(a, b) + 5.0);
        for (int i = 0; i < 8; ++i)
            rows.push_back(within(rng));
    }
    return rows;
}

// The failure, if any, of one loaded track against the file it came from.
std::string checkTrack(const SyncTrack& track, const std::string& bytes, Rng& rng) {
    const std::int32_t expected = expectedKeyCount(bytes);
    if (track.keyCount != expected)
        return "kept " + std::to_string(track.keyCount) + " keys, expected " +
               std::to_string(expected);
    bool finite = true, unknownType = false;
    float lo = 0.0f, hi = 0.0f;
    for (std::int32_t i = 0; i < track.keyCount; ++i) {
        const SyncKey& k = track.keys[i];
        const std::size_t at = 4 + 9 * std::size_t(i);
        if (k.row != std::int32_t(loadU32(bytes, at)) ||
            std::bit_cast<std::uint32_t>(k.value) != loadU32(bytes, at + 4) ||
            k.type != std::int8_t(bytes[at + 8]))
            return "key " + std::to_string(i) + " differs from the file";
        finite = finite && std::isfinite(k.value);
        unknownType = unknownType || k.type < 0 || k.type > 3;
        lo = i == 0 ? k.value : std::min(lo, k.value);
        hi = i == 0 ? k.value : std::max(hi, k.value);
    }
    const double tolerance = 1e-6 * std::max(std::fabs(lo), std::fabs(hi));
    for (const double row : rowsToTry(track, rng)) {
        const double v = evaluate(track, row);
        if (track.keyCount == 0 && v != 0.0)
            return "no keys but " + std::to_string(v) + " at row " + std::to_string(row);
        if (track.keyCount == 0 || !finite || (unknownType && v == 0.0))
            continue;
        if (!(v >= lo - tolerance && v <= hi + tolerance))
            return "row " + std::to_string(row) + " gives " + std::to_string(v) +
                   ", outside the keys' values " + std::to_string(lo) + ".." + std::to_string(hi);
    }
    return "";
}

std::string hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (const char c : bytes) {
        std::snprintf(b, sizeof b, "%02x ", unsigned(std::uint8_t(c)));
        out += b;
    }
    return out;
}

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text ? std::strtoull(text, nullptr, 0) : fallback;
}

TEST(SyncFuzz, CorruptedFilesLoadAndEvaluateSoundly) {
    const std::uint64_t seed = fromEnvironment("HALVO_FUZZ_SEED", 0x5a17c0de);
    const std::uint64_t cases = fromEnvironment("HALVO_FUZZ_CASES", 100000);
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    Rng rng(seed);

    const auto dir = std::filesystem::temp_directory_path() /
                     ("syncfuzz-" + std::to_string(seed) + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    SyncDevice device((dir / "t").string());

    for (std::uint64_t n = 0; n < cases; ++n) {
        const std::string bytes = randomFile(rng);
        const bool seekable = rng() % 2 == 0;
        MemoryStream stream{&bytes};
        std::FILE* file = openStream(stream, seekable);
        ASSERT_NE(file, nullptr);
        SyncTrack track;
        largestAllocation = 0;
        watching = true;
        readTrackKeys(file, track);
        watching = false;
        std::fclose(file);

        std::string failure = checkTrack(track, bytes, rng);
        // Seekable streams allocate exactly the keys kept; pipes grow by doubling.
        const std::size_t keyBytes = sizeof(SyncKey) * std::size_t(track.keyCount);
        if (failure.empty() && largestAllocation > (seekable ? keyBytes : 2 * keyBytes))
            failure = "allocated " + std::to_string(largestAllocation) + " bytes for " +
                      std::to_string(track.keyCount) + " keys";

        // Some cases go through the device and a real file.
        if (failure.empty() && n % 64 == 0) {
            const std::string name = std::to_string(n);
            std::ofstream(device.trackPath(name), std::ios::binary) << bytes;
            failure = checkTrack(device.getTrack(name), bytes, rng);
        }
        if (!failure.empty()) {
            std::filesystem::remove_all(dir);
            FAIL() << "case " << n << " (seed " << seed << ", " << (seekable ? "file" : "pipe")
                   << "): " << failure << "\nbytes: " << hex(bytes);
        }
    }
    std::filesystem::remove_all(dir);
}

} // namespace
