// The pattern scenes' pass.
#include "fx/PatternPass.h"

#include "app/DisplayContext.h"

#include <GL/glew.h>

namespace Sorva {

void renderPattern(DisplayContext& display, Gl::ScreenPass& pass, Gl::Fbo& target,
                   const FxParams& params) {
    target.bind();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    program->setUniform1f("iTime", params.iGlobalTime);
    program->setUniform2f("iResolution", static_cast<float>(display.width()),
                          static_cast<float>(display.height()));
    pass.draw();
}

} // namespace Sorva
