// The blank stand-in scene.
#include "fx/BlankFx.h"

#include "gl/PassSetup.h"

namespace Sorva {

BlankFx::BlankFx(Gl::Surface& surface) : surface_(surface) {}

void BlankFx::render(Gl::Fbo& target, const FxParams&) {
    Gl::beginPass(surface_, &target, {});
}

} // namespace Sorva
