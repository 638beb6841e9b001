// Sprite emitter records and their tracks.
#include "fx/SpriteEmitter.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

std::int32_t SpriteEmitter::roundTextureId(double value) {
    // Through 64 bits and then kept in 32; NaN and values out of range are
    // defined here as image 0 rather than left to the conversion.
    const double rounded = std::floor(value + 0.5);
    if (!(std::abs(rounded) < 9.2e18))
        return 0;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(rounded));
}

std::uint32_t SpriteEmitter::imageIndex(std::int32_t textureId, std::uint32_t count) {
    return std::min(static_cast<std::uint32_t>(textureId), count - 1);
}

void SpriteEmitter::refresh() {
    for (int i = 0; i < 3; ++i) {
        pos[i] = static_cast<float>(tracks[i].value());
        scale[i] = static_cast<float>(tracks[3 + i].value());
    }
    textureId = roundTextureId(tracks[6].value());
    lifetime = static_cast<float>(tracks[7].value());
    cumprob = static_cast<float>(tracks[8].value());
}

SpriteEmitter makeEmitter(const std::string& name) {
    const std::string prefix = "emit-" + name;
    return SpriteEmitter{.tracks = {Track(prefix + "-pos-x"), Track(prefix + "-pos-y"),
                                    Track(prefix + "-pos-z"), Track(prefix + "-scale-x"),
                                    Track(prefix + "-scale-y"), Track(prefix + "-scale-z"),
                                    Track(prefix + "-texture-id"), Track(prefix + "-lifetime"),
                                    Track(prefix + "-cumprob")}};
}

} // namespace Sorva
