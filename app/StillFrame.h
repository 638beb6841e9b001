// One moment of the show rendered on a fixed step instead of played, as the
// capture tool renders it: frame n at n / fps seconds of music, the frame
// clock advancing exactly 1 / fps a frame, every frame from the start (or
// from the request's time) to the one asked for. The last one is left in the
// window and read back.
#pragma once

#include "app/PageQuery.h"

#include <cstdint>
#include <vector>

namespace Sorva {

struct StillFrame {
    int width = 0;
    int height = 0;
    std::int64_t frame = 0;         // the frame shown, counted from the show's start
    double row = 0.0;               // its music row
    std::vector<std::uint8_t> rgba; // its pixels, bottom row first
};

// The particle ball draws that many particles (0: its full count). Throws
// Rexception when start-up fails, std::runtime_error when the row lies past
// the show's longest end (the tune's end plus the grace).
StillFrame renderStill(const StillRequest& request, int particles = 0);

} // namespace Sorva
