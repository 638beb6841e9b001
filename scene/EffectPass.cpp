// The shared start of an effect's full-screen pass.
#include "scene/EffectPass.h"

namespace Sorva {

Gl::ShaderProgram* beginEffectPass(Gl::Surface& surface, Gl::Fbo& destination, Gl::ScreenPass& pass,
                                   std::initializer_list<Gl::SamplerInput> inputs) {
    Gl::beginPass(surface, &destination, {.blend = Gl::PassSetup::State::Off});
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    Gl::bindSamplers(surface, *program, inputs);
    return program;
}

} // namespace Sorva
