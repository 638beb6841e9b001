// The per-frame parameter record every effect receives: eight values read
// from the tracks "fx-<prefix>-...", and the tracks themselves.
#pragma once

#include "sync/Track.h"

#include <array>
#include <string>

namespace Sorva {

struct FxParams {
    float lightposX = 0.0f;
    float lightposY = 0.0f;
    float lightposZ = 0.0f;
    float iMouseX = 0.0f;
    float iMouseY = 0.0f;
    float iMouseZ = 0.0f;
    float iGlobalTime = 0.0f;
    float focus = 0.0f;
    // The sources of the eight values, in the same order.
    std::array<Track, 8> tracks;
};

// The suffixes of the eight tracks, in record order ("-lightpos-x" ...).
extern const std::array<const char*, 8> fxParamSuffixes;

// A record whose tracks are "fx-" + prefix + each suffix, in record order;
// the values are still 0.
FxParams makeFxParams(const std::string& prefix);

// Stores the current value of each track, as a float, in its field.
void fillFxParams(FxParams& params);

} // namespace Sorva
