// The falloff is (1 - r^2)^2: flat at the centre, reaching 0 with a zero
// slope at the rim, so overlapping particles show no rings.
#include "tools/images/ParticleSprite.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Images {

RgbaImage makeParticleSprite() {
    constexpr int size = 64;
    constexpr float radius = size / 2.0f - 1.0f;
    RgbaImage image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f - size / 2.0f) / radius;
            const float dy = (y + 0.5f - size / 2.0f) / radius;
            const float fall = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            image.set(x, y, {1.0f, 1.0f, 1.0f, fall * fall});
        }
    return image;
}

} // namespace Sorva::Images
