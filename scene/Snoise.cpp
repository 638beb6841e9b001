// Simplex noise in single precision.
#include "scene/Snoise.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

namespace {

float mod289(float a) {
    return a - std::floor(a * 0.0034602077f) * 289.0f;
}

float fract(float a) {
    return a - std::floor(a);
}

} // namespace

std::array<float, 3> permute(const std::array<float, 3>& a) {
    return {mod289((34.0f * a[0] + 1.0f) * a[0]), mod289((34.0f * a[1] + 1.0f) * a[1]),
            mod289((34.0f * a[2] + 1.0f) * a[2])};
}

float snoise(float x, float y) {
    // Skew to the simplex grid, find the cell, and unskew its origin.
    const float s = x * 0.36602542f + y * 0.36602542f;
    float i = std::floor(x + s);
    float j = std::floor(y + s);
    const float t = i * 0.21132487f + j * 0.21132487f;
    const float x0 = x - i + t;
    const float y0 = y - j + t;

    // Which triangle of the cell: ties go to the upper one.
    const float i1 = x0 > y0 ? 1.0f : 0.0f;
    const float j1 = x0 > y0 ? 0.0f : 1.0f;
    const float xs[3] = {x0, x0 + 0.21132487f - i1, x0 - 0.57735026f};
    const float ys[3] = {y0, y0 + 0.21132487f - j1, y0 - 0.57735026f};

    i = mod289(i);
    j = mod289(j);
    const std::array<float, 3> q = permute({j + 0.0f, j + j1, j + 1.0f});
    const std::array<float, 3> p = permute({q[0] + i + 0.0f, q[1] + i + i1, q[2] + i + 1.0f});

    float sum = 0.0f;
    for (int c = 0; c < 3; ++c) {
        float m = std::max(0.5f - (xs[c] * xs[c] + ys[c] * ys[c]), 0.0f);
        m = m * m;
        m = m * m;
        const float g = 2.0f * fract(p[c] * 0.024390243f) - 1.0f;
        const float h = std::abs(g) - 0.5f;
        const float a = g - std::floor(g + 0.5f);
        m = m * (1.7928429f - 0.85373473f * (a * a + h * h));
        sum += m * (a * xs[c] + h * ys[c]);
    }
    return 130.0f * sum;
}

} // namespace Sorva
