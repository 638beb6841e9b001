// The particle ball's passes with trivial shaders, for the benchmark's floor.
#include "bench/TrivialBall.h"

#include "fx/PBall.h"
#include "gl/PassSetup.h"

#include <GL/glew.h>

#include <fstream>
#include <vector>

namespace Sorva {

namespace {

constexpr const char* stateCopyShader = R"(#version 330 core
uniform sampler2D s0;
uniform sampler2D s1;
uniform sampler2D s2;
layout(location = 0) out vec4 o0;
layout(location = 1) out vec4 o1;
layout(location = 2) out vec4 o2;
void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    o0 = texelFetch(s0, p, 0);
    o1 = texelFetch(s1, p, 0);
    o2 = texelFetch(s2, p, 0);
}
)";

constexpr const char* copyShader = R"(#version 330 core
uniform sampler2D iChannel0;
in vec2 uv;
layout(location = 0) out vec4 o0;
layout(location = 1) out vec4 o1;
void main() { o0 = texture(iChannel0, uv); o1 = vec4(0.0); }
)";

constexpr const char* combineShader = R"(#version 330 core
uniform sampler2D a;
uniform sampler2D b;
in vec2 uv;
out vec4 colour;
void main() { colour = texture(a, uv) * texture(b, uv); }
)";

constexpr const char* particleVertex = R"(#version 330 core
layout(location = 0) in vec3 corner;
layout(location = 1) in vec2 stateCoord;
uniform sampler2D state;
uniform mat4 VpMtx;
uniform float radius;
out vec2 quad;
void main() {
    quad = corner.xy;
    vec4 s = texelFetch(state, ivec2(stateCoord * 1023.0 + 0.5), 0);
    // Parked particles (negative age) are not drawn.
    gl_Position = s.w > 0.0 ? VpMtx * vec4(s.xyz, 1.0) + vec4(corner.xy * radius, 0.0, 0.0)
                            : vec4(0.0, 0.0, 2.0, 1.0);
}
)";

// A particle is a round dot: the corners of its quad are cut away.
constexpr const char* particleFragment = R"(#version 330 core
in vec2 quad;
layout(location = 0) out vec4 o0;
layout(location = 1) out vec4 o1;
void main() {
    if (dot(quad, quad) > 1.0)
        discard;
    o0 = vec4(1.0);
    o1 = vec4(1.0);
}
)";

constexpr GLfloat quadCorners[] = {
    -1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f, -1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f,
};

const char* written(const char* file, const char* source) {
    std::ofstream(file) << source;
    return file;
}

} // namespace

TrivialBall::TrivialBall(Gl::Surface& surface)
    : surface_(surface), quadBuffer_(GL_ARRAY_BUFFER), instanceBuffer_(GL_ARRAY_BUFFER),
      stateCopy_(written("./data/shaders/trivial-state.fs", stateCopyShader), &surface),
      copy_(written("./data/shaders/trivial-copy.fs", copyShader), &surface),
      combine_(written("./data/shaders/trivial-combine.fs", combineShader), &surface) {
    quadBuffer_.bind();
    quadBuffer_.setData(sizeof(quadCorners), quadCorners, GL_STATIC_DRAW);
    std::vector<float> coordinates;
    coordinates.reserve(2 * static_cast<std::size_t>(PBall::particleCount));
    for (int k = 0; k < PBall::particleCount; ++k) {
        const std::array<float, 2> at = PBall::stateCoordinate(k);
        coordinates.insert(coordinates.end(), at.begin(), at.end());
    }
    instanceBuffer_.bind();
    instanceBuffer_.setData(static_cast<GLsizeiptr>(coordinates.size() * sizeof(float)),
                            coordinates.data(), GL_STATIC_DRAW);
    vao_.bind();
    vao_.enableAttrib(0);
    quadBuffer_.bind();
    vao_.attribPointer(0, 3, GL_FLOAT, false, 0, nullptr);
    vao_.enableAttrib(1);
    instanceBuffer_.bind();
    vao_.attribPointer(1, 2, GL_FLOAT, false, 0, nullptr);
    vao_.attribDivisor(1, 1);
    vao_.unbind();

    particles_.addShader(GL_VERTEX_SHADER,
                         written("./data/shaders/trivial-particle.vs", particleVertex));
    particles_.addShader(GL_FRAGMENT_SHADER,
                         written("./data/shaders/trivial-particle.fs", particleFragment));
    particles_.link();

    state_.setup(PBall::stateSize, PBall::stateSize, 3, true);
    for (Gl::Fbo& buffer : between_)
        buffer.setup(surface.width(), surface.height(), 1, true);
    scene_.setup(surface.width(), surface.height(), 2, true);
    occlusion_.setup(surface.width() / 2, surface.height() / 2, 1, true);
}

void TrivialBall::render(Gl::Fbo& target, Gl::Fbo& state,
                         const std::array<float, 16>& viewProjection, float radius,
                         FrameObserver* observer) {
    const auto step = [&](PBall::Step s, bool begin) {
        if (!observer)
            return;
        if (begin)
            observer->begin(FrameObserver::Stage::Step, s);
        else
            observer->end(FrameObserver::Stage::Step, s);
    };

    step(PBall::Simulation, true);
    state_.bind();
    surface_.viewport(0, 0, PBall::stateSize, PBall::stateSize);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    Gl::ShaderProgram* p = stateCopy_.program();
    p->bind();
    Gl::bindInputs(surface_, {state.colorTexture(0), state.colorTexture(1), state.colorTexture(2)});
    p->setUniform1i("s0", 0);
    p->setUniform1i("s1", 1);
    p->setUniform1i("s2", 2);
    stateCopy_.draw();
    step(PBall::Simulation, false);

    step(PBall::Backdrop, true);
    // The ball clears its scene buffer before the backdrop draws into it.
    Gl::beginPass(surface_, &scene_, {});
    Gl::Fbo* from = &between_[1];
    for (Gl::Fbo* to : {&between_[0], &between_[1], &scene_}) {
        Gl::beginPass(surface_, to, {.depthTest = Gl::PassSetup::State::Off});
        copy_.program()->bind();
        Gl::bindInputs(surface_, {from->colorTexture(0)});
        copy_.program()->setUniform1i("iChannel0", 0);
        copy_.draw();
        from = to;
    }
    glClear(GL_DEPTH_BUFFER_BIT);
    step(PBall::Backdrop, false);

    step(PBall::Particles, true);
    glEnable(GL_DEPTH_TEST);
    vao_.bind();
    p = particles_.program();
    p->bind();
    surface_.activeTexture(2);
    state_.colorTexture(0)->bind();
    p->setUniform1i("state", 2);
    p->setUniform1f("radius", radius);
    p->setUniformMatrix4fv("VpMtx", 1, false, viewProjection.data());
    surface_.drawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, PBall::particleCount);
    vao_.unbind();
    step(PBall::Particles, false);

    step(PBall::Occlusion, true);
    occlusion_.bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    surface_.viewport(0, 0, surface_.width() / 2, surface_.height() / 2);
    copy_.program()->bind();
    Gl::bindInputs(surface_, {scene_.colorTexture(1)});
    copy_.program()->setUniform1i("iChannel0", 0);
    copy_.draw();
    step(PBall::Occlusion, false);

    step(PBall::Combine, true);
    Gl::beginPass(surface_, &target, {});
    combine_.program()->bind();
    Gl::bindInputs(surface_, {occlusion_.colorTexture(0), scene_.colorTexture(0)});
    combine_.program()->setUniform1i("a", 0);
    combine_.program()->setUniform1i("b", 1);
    combine_.draw();
    step(PBall::Combine, false);
}

} // namespace Sorva
