// A scene slot's stand-in until its effect exists: clears its target to
// transparent black.
#pragma once

#include "gl/Surface.h"
#include "scene/EFx.h"

namespace Sorva {

class BlankFx : public EFx {
public:
    explicit BlankFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    Gl::Surface& surface_;
};

} // namespace Sorva
