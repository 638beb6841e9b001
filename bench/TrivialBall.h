// The particle ball's draws with the cheapest shaders that still do each
// job: the floor its real shaders are measured against. Same buffers, same
// sizes, same particle positions, same number of passes.
#pragma once

#include "gl/BufferObject.h"
#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/ShaderContainer.h"
#include "gl/Surface.h"
#include "gl/VertexArrayObject.h"
#include "scene/FrameObserver.h"

#include <array>

namespace Sorva {

class TrivialBall {
public:
    // Writes its shaders into ./data/shaders/ (the working directory is a
    // scratch show) and builds buffers the size of the real ones.
    explicit TrivialBall(Gl::Surface& surface);

    // One frame: copies the three state textures, three copies for the
    // backdrop, 1,048,576 round dots (quads with their corners discarded)
    // of a fixed clip size placed by the
    // positions in state attachment 0 with viewProjection (parked ones
    // culled), a half-size copy
    // for the occlusion, a two-tap combine into target. Steps are told to
    // observer as the real ball tells them.
    void render(Gl::Fbo& target, Gl::Fbo& state, const std::array<float, 16>& viewProjection,
                float radius, FrameObserver* observer);

private:
    Gl::Surface& surface_;
    Gl::BufferObject quadBuffer_;
    Gl::BufferObject instanceBuffer_;
    Gl::VertexArrayObject vao_;
    Gl::ShaderContainer particles_;
    Gl::ScreenPass stateCopy_;
    Gl::ScreenPass copy_;
    Gl::ScreenPass combine_;
    Gl::Fbo state_;
    Gl::Fbo between_[2];
    Gl::Fbo scene_;
    Gl::Fbo occlusion_;
};

} // namespace Sorva
