// Two-dimensional simplex noise on the CPU, in 32-bit floats step by step,
// so that the camera shake and the particle emitters see the same values
// the GLSL formulation would give: a permutation polynomial modulo 289 and
// gradients from a ring of 41 points. No state, no tables, no allocation.
#pragma once

#include <array>

namespace Sorva {

// Each component a becomes mod289((34 a + 1) a).
std::array<float, 3> permute(const std::array<float, 3>& a);

// Smooth noise in about [-1, 1]; snoise(0, 0) is exactly 0.
float snoise(float x, float y);

} // namespace Sorva
