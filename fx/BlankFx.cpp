// The blank stand-in scene.
#include "fx/BlankFx.h"

#include "app/DisplayContext.h"
#include "gl/Fbo.h"

#include <GL/glew.h>

namespace Sorva {

BlankFx::BlankFx(DisplayContext& display) : display_(display) {}

void BlankFx::render(Gl::Fbo& target, const FxParams&) {
    target.bind();
    display_.viewport(0, 0, display_.width(), display_.height());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace Sorva
