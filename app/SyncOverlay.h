// For measuring sync from a screen grab: a strip of black and white blocks
// near the window's top-left corner that spells, for each frame, the music
// position its picture was drawn for, the position heard when it was read
// and the wall-clock time of that read. tools/sync-check.sh reads it back.
// Only drawn when HALVO_SYNC_OVERLAY=1 is in the environment.
#pragma once

#include <array>
#include <cstdint>

namespace Sorva {

namespace Gl {
class Surface;
}

class SyncOverlay {
public:
    // Side of one block in pixels, and the blocks in a row of the strip.
    static constexpr int blockSize = 8;
    static constexpr int columns = 15;
    // Where the strip's top-left corner lies from the window's: clear of a
    // title bar that may hide the window's top rows.
    static constexpr int marginX = 16;
    static constexpr int marginY = 32;
    // A marker that finds the strip, a frame counter, the two positions and
    // the time, then a CRC-8 (polynomial 0x07) of the 104 bits before it.
    static constexpr int bits = 8 + 8 + 32 + 32 + 32 + 8;
    static constexpr std::uint8_t marker = 0xB2;

    struct Stamp {
        std::uint8_t counter = 0;
        std::uint32_t pictureFrames = 0; // 44.1 kHz frames of the tune
        std::uint32_t heardFrames = 0;
        std::uint32_t wallTenthsOfMs = 0; // Unix time in 0.1 ms, modulo 2^32
    };

    static bool enabledByEnvironment();

    // Reads the music clock and the wall clock for the frame about to start.
    void stamp();
    // Draws the last stamp over the window's framebuffer; leaves the scissor
    // test off and the window's framebuffer bound.
    void draw(Gl::Surface& surface) const;

    // The strip's bits, most significant bit of each field first.
    static std::array<bool, bits> encode(const Stamp& stamp);

private:
    Stamp stamp_;
};

} // namespace Sorva
