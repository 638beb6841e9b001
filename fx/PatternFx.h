// The first pattern scene (slot 1): one full-screen shader, "pattern.fs",
// animated by the parameter record's iGlobalTime.
#pragma once

#include "gl/ScreenPass.h"
#include "scene/EFx.h"

namespace Sorva {

class DisplayContext;

class PatternFx : public EFx {
public:
    explicit PatternFx(DisplayContext& display);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    DisplayContext& display_;
    Gl::ScreenPass pass_;
};

} // namespace Sorva
