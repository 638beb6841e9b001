// Evaluation of a sync track at a fractional row.
#include "sync/SyncTrack.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Sorva {

namespace {

// floor(row) as an int; rows beyond the int range clamp to its ends (the
// conversion itself would be undefined there). NaN must be handled before.
// Truncation and a correction instead of std::floor, which is a library call
// on baseline x86-64.
std::int32_t floorRow(double row) {
    if (row >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (row < -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    const auto truncated = static_cast<std::int32_t>(row);
    return truncated - (truncated > row ? 1 : 0);
}

} // namespace

double evaluate(const SyncTrack& track, double row) {
    const std::int32_t count = track.keyCount;
    const SyncKey* keys = track.keys.get();
    if (count <= 0 || !keys)
        return 0.0;
    if (std::isnan(row))
        return keys[0].value;

    const std::int32_t r = floorRow(row);
    std::int32_t lo = 0;
    std::int32_t hi = count;
    std::int32_t index = -1;
    for (;;) {
        if (lo >= hi) {
            index = lo - 1; // the last key below r
            break;
        }
        const std::int32_t mid = lo + (hi - lo) / 2;
        const std::int32_t keyRow = keys[mid].row;
        if (keyRow == r) {
            index = mid;
            break;
        }
        // Either way is as likely, so the step is masked arithmetic rather
        // than a branch the processor would mispredict half the time.
        const std::int32_t below = -std::int32_t(keyRow < r);
        lo = (below & (mid + 1)) | (~below & lo);
        hi = (below & hi) | (~below & mid);
    }
    // Before the first key its value; at or after the last key, the last's.
    if ((index < 0) | (index > count - 2))
        return keys[index < 0 ? 0 : count - 1].value;

    const SyncKey& k0 = keys[index];
    const SyncKey& k1 = keys[index + 1];
    // For ascending keys t is already in [0, 1); the clamp only keeps keys out
    // of order, or equal rows, from extrapolating.
    const double span = double(k1.row) - double(k0.row);
    const double t = span > 0.0 ? std::clamp((row - k0.row) / span, 0.0, 1.0) : 0.0;
    const float d = k1.value - k0.value;
    double delta = d;
    if (std::isinf(d) && std::isfinite(k0.value) && std::isfinite(k1.value))
        delta = double(k1.value) - double(k0.value); // float overflow would give inf or NaN
    switch (k0.type) {
    case 0:
        return k0.value;
    case 1:
        return k0.value + delta * t;
    case 2:
        return k0.value + delta * (t * t * (3.0 - 2.0 * t));
    case 3:
        return k0.value + delta * std::pow(t, 2.0);
    default:
        return 0.0;
    }
}

} // namespace Sorva
