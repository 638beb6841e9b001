// The second pattern scene (slot 4).
#include "fx/PatternBFx.h"

#include "fx/PatternPass.h"

namespace Sorva {

PatternBFx::PatternBFx(DisplayContext& display)
    : display_(display), pass_("./data/shaders/pattern2.fs", &display) {}

void PatternBFx::render(Gl::Fbo& target, const FxParams& params) {
    renderPattern(display_, pass_, target, params);
}

} // namespace Sorva
