// The shared start of an effect's full-screen pass.
#include "scene/EffectPass.h"

#include "gl/PassSetup.h"

namespace Sorva {

Gl::ShaderProgram* beginEffectPass(Gl::Surface& surface, Gl::Fbo& destination, Gl::ScreenPass& pass,
                                   std::initializer_list<Gl::Texture*> inputs) {
    Gl::beginPass(surface, &destination, {.blend = Gl::PassSetup::State::Off});
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    Gl::bindInputs(surface, inputs);
    return program;
}

} // namespace Sorva
