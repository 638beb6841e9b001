// The feedback's noise: a swirling flow ready to read, a fine band and cells.
#include "tools/images/NoiseTexture.h"

#include "tools/images/PeriodicNoise.h"
#include "tools/images/Plane.h"

#include <algorithm>
#include <functional>

namespace Sorva::Images {

namespace {

constexpr int size = 256;

// A noise sampled over the tile and stretched to the full range 0 to 1.
Plane channel(const std::function<float(float, float)>& noise) {
    Plane plane(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            plane.at(x, y) = noise(static_cast<float>(x) / size, static_cast<float>(y) / size);
    float low = plane.at(0, 0);
    float high = low;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            low = std::min(low, plane.at(x, y));
            high = std::max(high, plane.at(x, y));
        }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            plane.at(x, y) = (plane.at(x, y) - low) / (high - low);
    return plane;
}

} // namespace

RgbaImage makeNoiseTexture() {
    const PeriodicNoise noise(0x48414C56u);
    const Plane coarse = channel([&](float u, float v) { return noise.fractal(u, v, 4, 3); });
    const Plane middle = channel([&](float u, float v) { return noise.fractal(u, v, 16, 2); });
    const Plane fine = channel([&](float u, float v) { return noise.fractal(u, v, 64, 2); });
    const Plane cells = channel([&](float u, float v) { return noise.cellular(u * 8, v * 8, 8); });

    // The flow is the curl of the stream function coarse + 0.35 middle, by
    // central differences across the wrapping tile, in units per texture
    // width; stored as 0.5 + flow / (2 flowRange).
    Plane stream(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            stream.at(x, y) = coarse.at(x, y) + 0.35f * middle.at(x, y);
    RgbaImage image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float du = (stream.wrapped(x + 1, y) - stream.wrapped(x - 1, y)) * size / 2.0f;
            const float dv = (stream.wrapped(x, y + 1) - stream.wrapped(x, y - 1)) * size / 2.0f;
            image.set(x, y,
                      {0.5f + dv / (2.0f * flowRange), 0.5f - du / (2.0f * flowRange),
                       fine.at(x, y), cells.at(x, y)});
        }
    return image;
}

} // namespace Sorva::Images
