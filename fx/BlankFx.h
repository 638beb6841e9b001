// A scene slot's stand-in until its effect exists: clears its target to
// transparent black.
#pragma once

#include "scene/EFx.h"

namespace Sorva {

class DisplayContext;

class BlankFx : public EFx {
public:
    explicit BlankFx(DisplayContext& display);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    DisplayContext& display_;
};

} // namespace Sorva
