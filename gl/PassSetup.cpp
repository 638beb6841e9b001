// The start of every full-screen pass.
#include "gl/PassSetup.h"

#include <GL/glew.h>

namespace Sorva::Gl {

namespace {

void setCapability(GLenum capability, PassSetup::State state) {
    if (state == PassSetup::State::On)
        glEnable(capability);
    else if (state == PassSetup::State::Off)
        glDisable(capability);
}

} // namespace

void beginPass(Surface& surface, Fbo* destination, const PassSetup& setup) {
    if (destination)
        destination->bind();
    else
        surface.bindScreen();
    if (setup.wholeViewport)
        surface.viewport(0, 0, surface.width(), surface.height());
    glClearColor(setup.clear[0], setup.clear[1], setup.clear[2], setup.clear[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setCapability(GL_BLEND, setup.blend);
    setCapability(GL_DEPTH_TEST, setup.depthTest);
}

void bindInputs(Surface& surface, std::initializer_list<Texture*> inputs) {
    unsigned unit = 0;
    for (Texture* input : inputs) {
        surface.activeTexture(unit++);
        input->bind();
    }
}

void bindSamplers(Surface& surface, ShaderProgram& program,
                  std::initializer_list<SamplerInput> inputs) {
    unsigned unit = 0;
    for (const auto& [texture, sampler] : inputs) {
        surface.activeTexture(unit);
        texture->bind();
        if (sampler)
            program.setUniform1i(sampler, static_cast<GLint>(unit));
        ++unit;
    }
}

} // namespace Sorva::Gl
