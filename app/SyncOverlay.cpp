// The sync overlay's stamp and its blocks.
#include "app/SyncOverlay.h"

#include "gl/Surface.h"
#include "sync/AudioOutput.h"
#include "sync/MusicClock.h"

#include <GL/glew.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace Sorva {

namespace {

std::uint32_t framesOf(double row, double rowsPerSecond) {
    if (rowsPerSecond <= 0.0)
        return 0;
    return static_cast<std::uint32_t>(std::lround(row / rowsPerSecond * AudioOutput::sampleRate));
}

std::uint8_t crc8(const std::array<bool, SyncOverlay::bits>& strip, int from, int to) {
    std::uint8_t crc = 0;
    for (int i = from; i < to; ++i) {
        const bool top = (crc & 0x80) != 0;
        crc = static_cast<std::uint8_t>(crc << 1);
        if (top != strip[static_cast<std::size_t>(i)])
            crc ^= 0x07;
    }
    return crc;
}

} // namespace

bool SyncOverlay::enabledByEnvironment() {
    const char* value = std::getenv("HALVO_SYNC_OVERLAY");
    return value && std::string_view(value) == "1";
}

void SyncOverlay::stamp() {
    const MusicClock& clock = MusicClock::instance();
    const double rowsPerSecond = clock.rowsPerSecond();
    stamp_.heardFrames = framesOf(clock.row(), rowsPerSecond);
    stamp_.pictureFrames = framesOf(clock.pictureRow(), rowsPerSecond);
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    stamp_.wallTenthsOfMs = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count() / 100);
    ++stamp_.counter;
}

std::array<bool, SyncOverlay::bits> SyncOverlay::encode(const Stamp& stamp) {
    std::array<bool, bits> strip{};
    int at = 0;
    const auto put = [&](std::uint32_t value, int width) {
        for (int b = width - 1; b >= 0; --b)
            strip[static_cast<std::size_t>(at++)] = ((value >> b) & 1u) != 0;
    };
    put(marker, 8);
    put(stamp.counter, 8);
    put(stamp.pictureFrames, 32);
    put(stamp.heardFrames, 32);
    put(stamp.wallTenthsOfMs, 32);
    put(crc8(strip, 8, at), 8);
    return strip;
}

void SyncOverlay::draw(Gl::Surface& surface) const {
    const std::array<bool, bits> strip = encode(stamp_);
    surface.bindScreen();
    glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < bits; ++i) {
        const int x = marginX + (i % columns) * blockSize;
        const int y = surface.height() - marginY - (i / columns + 1) * blockSize;
        const float level = strip[static_cast<std::size_t>(i)] ? 1.0f : 0.0f;
        glScissor(x, y, blockSize, blockSize);
        glClearColor(level, level, level, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

} // namespace Sorva
