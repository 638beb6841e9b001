// The first pattern scene (slot 1).
#include "fx/PatternFx.h"

#include "fx/PatternPass.h"

namespace Sorva {

PatternFx::PatternFx(DisplayContext& display)
    : display_(display), pass_("./data/shaders/pattern.fs", &display) {}

void PatternFx::render(Gl::Fbo& target, const FxParams& params) {
    renderPattern(display_, pass_, target, params);
}

} // namespace Sorva
