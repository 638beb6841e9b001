// The first pattern scene (slot 1): one full-screen shader, "pattern.fs",
// animated by the parameter record's iGlobalTime.
#pragma once

#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "scene/EFx.h"

namespace Sorva {

class PatternFx : public EFx {
public:
    explicit PatternFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    Gl::Surface& surface_;
    Gl::ScreenPass pass_;
};

} // namespace Sorva
