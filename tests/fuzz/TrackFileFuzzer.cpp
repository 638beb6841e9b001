// libFuzzer entry for the track file loader and evaluation (clang only):
//   cmake -DCMAKE_CXX_COMPILER=clang++ ... && ninja TrackFileFuzzer
//   ./tests/TrackFileFuzzer -max_total_time=60
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file)
        return 0;
    Sorva::SyncTrack track;
    Sorva::readTrackKeys(file, track);
    std::fclose(file);

    const std::size_t whole = size < 4 ? 0 : (size - 4) / 9;
    if (track.keyCount < 0 || std::size_t(track.keyCount) > whole)
        __builtin_trap();
    float lo = 0.0f, hi = 0.0f;
    bool finite = true, unknownType = false;
    for (std::int32_t i = 0; i < track.keyCount; ++i) {
        const Sorva::SyncKey& k = track.keys[i];
        lo = i == 0 ? k.value : std::min(lo, k.value);
        hi = i == 0 ? k.value : std::max(hi, k.value);
        finite = finite && std::isfinite(k.value);
        unknownType = unknownType || k.type < 0 || k.type > 3;
    }
    const double tolerance = 1e-6 * std::max(std::fabs(lo), std::fabs(hi));
    const double inf = std::numeric_limits<double>::infinity();
    for (const double row : {std::nan(""), inf, -inf, 1e300, -1e300, -0.5, 0.0, 7.25, 1e5}) {
        const double v = Sorva::evaluate(track, row);
        if (track.keyCount == 0 ? v != 0.0
                                : finite && !(unknownType && v == 0.0) &&
                                      !(v >= lo - tolerance && v <= hi + tolerance))
            __builtin_trap();
    }
    return 0;
}
