// The first pattern scene (slot 1).
#include "fx/PatternFx.h"

#include "fx/PatternPass.h"

namespace Sorva {

PatternFx::PatternFx(Gl::Surface& surface)
    : surface_(surface), pass_("./data/shaders/pattern.fs", &surface) {}

void PatternFx::render(Gl::Fbo& target, const FxParams& params) {
    renderPattern(surface_, pass_, target, params);
}

} // namespace Sorva
