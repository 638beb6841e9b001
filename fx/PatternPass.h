// The one pass both pattern scenes draw: their shader straight into the
// target, driven only by time and the window size.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "scene/FxParams.h"

namespace Sorva {

// Binds target, clears it to opaque white with depth, enables depth testing
// and draws the pass with "iTime" = params.iGlobalTime and "iResolution" =
// the window size. Keeps the viewport it finds (the whole window).
void renderPattern(Gl::Surface& surface, Gl::ScreenPass& pass, Gl::Fbo& target,
                   const FxParams& params);

} // namespace Sorva
