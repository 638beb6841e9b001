// The second pattern scene (slot 4).
#include "fx/PatternBFx.h"

#include "fx/PatternPass.h"

namespace Sorva {

PatternBFx::PatternBFx(Gl::Surface& surface)
    : surface_(surface), pass_("./data/shaders/pattern2.fs", &surface) {}

void PatternBFx::render(Gl::Fbo& target, const FxParams& params) {
    renderPattern(surface_, pass_, target, params);
}

} // namespace Sorva
