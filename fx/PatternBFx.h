// The second pattern scene (slot 4): one full-screen shader, "pattern2.fs",
// animated by the parameter record's iGlobalTime.
#pragma once

#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "scene/EFx.h"

namespace Sorva {

class PatternBFx : public EFx {
public:
    explicit PatternBFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    Gl::Surface& surface_;
    Gl::ScreenPass pass_;
};

} // namespace Sorva
