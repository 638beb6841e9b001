// Finds the DCT glitch's colour blocks in a captured frame: whole 8 x 8
// blocks of the grid whose chroma was thrown to green or magenta, both
// chroma channels the same way, with a hard step to the blocks above and
// below (damage runs along a row, so those are mostly whole) and next to no
// change inside.
#pragma once

#include <cstdint>

namespace Sorva {

class FrameRegions;

class GlitchBlockCounter {
public:
    // Least mean chroma (Cb and Cr, of 255 about 0) a block needs: a light
    // glitch over black reaches about 10 once the colour is clamped.
    static constexpr double minChroma = 6.0;

    // rgb: the frame the regions describe, 8 bits a channel, top row first.
    static int count(const FrameRegions& regions, const std::uint8_t* rgb);
};

} // namespace Sorva
