// How a full-screen pass begins on its destination, written once for every
// pass of the show: which framebuffer, the viewport, the clear and the blend
// and depth-test state. The program, the inputs and the uniforms follow in
// the caller, in the order its recipe gives.
#pragma once

#include "gl/Fbo.h"
#include "gl/ShaderProgram.h"
#include "gl/Surface.h"
#include "gl/Texture.h"

#include <array>
#include <initializer_list>
#include <utility>

namespace Sorva::Gl {

struct PassSetup {
    // What a pass does to a piece of GL state: leave it as the pass finds it,
    // or switch it off or on.
    enum class State { Keep, Off, On };

    // Colour and depth are always cleared; this is the colour (RGBA).
    std::array<float, 4> clear = {0.0f, 0.0f, 0.0f, 0.0f};
    // Whether the viewport is set to the whole surface, or kept as found.
    bool wholeViewport = true;
    State blend = State::Keep;
    State depthTest = State::Keep;
};

// Binds destination (the window's framebuffer when null), sets the viewport
// if asked, clears colour and depth, then sets blending and depth testing if
// asked: one GL call each, in that order.
void beginPass(Surface& surface, Fbo* destination, const PassSetup& setup);

// Binds each texture to texture units 0, 1, ... in order, selecting each unit
// first; the last unit stays active.
void bindInputs(Surface& surface, std::initializer_list<Texture*> inputs);

// A pass input: the texture, and the name of the sampler uniform that reads
// it, or null when the caller sets that uniform itself.
using SamplerInput = std::pair<Texture*, const char*>;

// For each input in turn, on texture units 0, 1, ...: selects the unit, binds
// the texture, then sets its sampler to the unit on program, which must be
// current. The last unit stays active.
void bindSamplers(Surface& surface, ShaderProgram& program,
                  std::initializer_list<SamplerInput> inputs);

} // namespace Sorva::Gl
