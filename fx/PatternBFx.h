// The second pattern scene (slot 4): one full-screen shader, "pattern2.fs",
// animated by the parameter record's iGlobalTime.
#pragma once

#include "gl/ScreenPass.h"
#include "scene/EFx.h"

namespace Sorva {

class DisplayContext;

class PatternBFx : public EFx {
public:
    explicit PatternBFx(DisplayContext& display);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    DisplayContext& display_;
    Gl::ScreenPass pass_;
};

} // namespace Sorva
