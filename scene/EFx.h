// The interface of every scene effect: built once with the display context,
// it draws one complete frame of itself into a framebuffer it is given.
#pragma once

#include "scene/FxParams.h"

namespace Sorva {

namespace Gl {
class Fbo;
}

class EFx {
public:
    // Draws the effect over the whole window into colour texture 0 of target.
    // On return target is the bound framebuffer and the viewport covers the
    // whole window. Called only on frames whose owner wants a picture, so any
    // state an effect keeps advances per call, not per frame.
    virtual void render(Gl::Fbo& target, const FxParams& params) = 0;
    virtual ~EFx();

    EFx(const EFx&) = delete;
    EFx& operator=(const EFx&) = delete;

protected:
    EFx() = default;
};

} // namespace Sorva
