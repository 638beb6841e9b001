// The feedback scene's noise: 256 x 256, tileable, one band of frequencies
// per channel (R coarse, G middle, B fine gradient noise; A cellular).
#pragma once

#include "tools/images/RgbaImage.h"

namespace Sorva::Images {

RgbaImage makeNoiseTexture();

} // namespace Sorva::Images
