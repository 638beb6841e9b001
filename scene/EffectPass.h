// The start of a full-screen pass inside an effect, shared by the effects
// that draw with ScreenPass: the same steps every time, in the same order.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "gl/Texture.h"

#include <initializer_list>

namespace Sorva {

// Binds destination, sets the whole-window viewport, clears colour and depth
// to transparent black, disables blending, makes the pass's program current
// and binds the inputs to texture units 0, 1, ... in order. The caller then
// sets the uniforms on the returned program and calls pass.draw().
Gl::ShaderProgram* beginEffectPass(Gl::Surface& surface, Gl::Fbo& destination, Gl::ScreenPass& pass,
                                   std::initializer_list<Gl::Texture*> inputs);

} // namespace Sorva
