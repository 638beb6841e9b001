// One sync track in memory and its evaluation at a row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Sorva {

struct SyncKey {
    std::int32_t row;
    float value;
    std::int32_t type; // 0 step, 1 linear, 2 smooth, 3 ramp
};

struct SyncTrack {
    std::string name;
    std::unique_ptr<SyncKey[]> keys;
    std::int32_t keyCount = 0;
};

// The track's value at a (fractional) row; 0.0 for a track without keys.
double evaluate(const SyncTrack& track, double row);

} // namespace Sorva
