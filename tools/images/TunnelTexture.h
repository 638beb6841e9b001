// The tunnel's wall: 512 x 512 steel plating that tiles both ways. Four rows
// of panels (plain, vented, lit, with a round hatch), each below a riveted
// rib; RGB is the lit wall, A where it glows (light strips, their halo and
// the rib indicators), for shaders that pulse the lights.
#pragma once

#include "tools/images/RgbaImage.h"

namespace Sorva::Images {

RgbaImage makeTunnelTexture();

} // namespace Sorva::Images
