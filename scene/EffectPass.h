// The start of a full-screen pass inside an effect, shared by the effects
// that draw with ScreenPass: the same steps every time, in the same order.
#pragma once

#include "gl/Fbo.h"
#include "gl/PassSetup.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"

#include <initializer_list>

namespace Sorva {

// Binds destination, sets the whole-window viewport, clears colour and depth
// to transparent black, disables blending and makes the pass's program
// current; then, unit by unit from 0, selects the unit, binds the input's
// texture and sets its sampler, if it names one, to the unit. The caller then
// sets the other uniforms on the returned program and calls pass.draw().
Gl::ShaderProgram* beginEffectPass(Gl::Surface& surface, Gl::Fbo& destination, Gl::ScreenPass& pass,
                                   std::initializer_list<Gl::SamplerInput> inputs);

} // namespace Sorva
