// The particle ball's particle: a soft white dot, 64 x 64, whose alpha falls
// smoothly from 1 at the centre to 0 at its rim.
#pragma once

#include "tools/images/RgbaImage.h"

namespace Sorva::Images {

RgbaImage makeParticleSprite();

} // namespace Sorva::Images
