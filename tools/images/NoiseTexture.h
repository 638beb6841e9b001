// The feedback scene's noise: 256 x 256, tileable. R and G hold a swirling,
// divergence-free flow (the curl of coarse and middle gradient noise), so
// that one read gives the velocity; B a fine band of gradient noise; A
// cellular noise.
#pragma once

#include "tools/images/RgbaImage.h"

namespace Sorva::Images {

// The flow's scale: a channel value c stands for (c - 0.5) * 2 flowRange
// (texture widths per unit of time); the fastest flow reaches about 18.
constexpr float flowRange = 20.0f;

RgbaImage makeNoiseTexture();

} // namespace Sorva::Images
