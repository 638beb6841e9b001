// Periodic gradient and cellular noise: lattice corners are hashed modulo the
// period, so cell `period` is cell 0 again.
#include "tools/images/PeriodicNoise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Sorva::Images {

namespace {

int modulo(int i, int n) {
    return ((i % n) + n) % n;
}

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

} // namespace

std::uint32_t PeriodicNoise::hash(int x, int y, int periodX, int periodY, int salt) const {
    std::uint32_t h = seed_ ^ (static_cast<std::uint32_t>(salt) * 0x9E3779B9u) ^
                      (static_cast<std::uint32_t>(periodX * 4099 + periodY) * 0x632BE5ABu);
    for (std::uint32_t v : {static_cast<std::uint32_t>(modulo(x, periodX)),
                            static_cast<std::uint32_t>(modulo(y, periodY))}) {
        h ^= v + 0x7F4A7C15u + (h << 6) + (h >> 2);
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
    }
    return h;
}

float PeriodicNoise::gradient(float x, float y, int periodX, int periodY, int octave) const {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;
    auto corner = [&](int cx, int cy) {
        const float angle =
            static_cast<float>(hash(ix + cx, iy + cy, periodX, periodY, octave) >> 8) /
            16777216.0f * 2.0f * std::numbers::pi_v<float>;
        return std::cos(angle) * (dx - cx) + std::sin(angle) * (dy - cy);
    };
    const float u = fade(dx);
    const float v = fade(dy);
    return std::numbers::sqrt2_v<float> *
           lerp(lerp(corner(0, 0), corner(1, 0), u), lerp(corner(0, 1), corner(1, 1), u), v);
}

float PeriodicNoise::fractal(float u, float v, int period, int octaves, float gain) const {
    float sum = 0.0f;
    float amplitude = 1.0f;
    for (int i = 0; i < octaves; ++i, period *= 2, amplitude *= gain)
        sum += amplitude * gradient(u * period, v * period, period, period, i);
    return sum;
}

float PeriodicNoise::cellular(float x, float y, int period) const {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    float nearest = 2.0f;
    for (int cy = iy - 1; cy <= iy + 1; ++cy)
        for (int cx = ix - 1; cx <= ix + 1; ++cx) {
            const std::uint32_t h = hash(cx, cy, period, period, 7777);
            const float px = cx + static_cast<float>(h & 0xFFFF) / 65536.0f;
            const float py = cy + static_cast<float>(h >> 16) / 65536.0f;
            nearest = std::min(nearest, std::hypot(px - x, py - y));
        }
    return nearest;
}

} // namespace Sorva::Images
