// Noise channels, each stretched to the full 8-bit range.
#include "tools/images/NoiseTexture.h"

#include "tools/images/PeriodicNoise.h"
#include "tools/images/Plane.h"

#include <algorithm>
#include <functional>

namespace Sorva::Images {

namespace {

constexpr int size = 256;

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
    const Plane r = channel([&](float u, float v) { return noise.fractal(u, v, 4, 3); });
    const Plane g = channel([&](float u, float v) { return noise.fractal(u, v, 16, 2); });
    const Plane b = channel([&](float u, float v) { return noise.fractal(u, v, 64, 2); });
    const Plane a = channel([&](float u, float v) { return noise.cellular(u * 8, v * 8, 8); });
    RgbaImage image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.set(x, y, {r.at(x, y), g.at(x, y), b.at(x, y), a.at(x, y)});
    return image;
}

} // namespace Sorva::Images
