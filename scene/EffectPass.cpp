// The shared start of an effect's full-screen pass.
#include "scene/EffectPass.h"

#include "app/DisplayContext.h"

#include <GL/glew.h>

namespace Sorva {

Gl::ShaderProgram* beginEffectPass(DisplayContext& display, Gl::Fbo& destination,
                                   Gl::ScreenPass& pass,
                                   std::initializer_list<Gl::Texture*> inputs) {
    destination.bind();
    display.viewport(0, 0, display.width(), display.height());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    unsigned unit = 0;
    for (Gl::Texture* input : inputs) {
        display.activeTexture(unit++);
        input->bind();
    }
    return program;
}

} // namespace Sorva
