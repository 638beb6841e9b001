// The particle ball on a real context with stand-in shaders: which state
// buffer each call writes and reads, the instance coordinates, the size of
// the occlusion target, and how emitters round, limit and respawn.
#include "GlTestContext.h"
#include "TrackKeys.h"

#include "fx/PBall.h"
#include "gl/Fbo.h"

#include <cmath>
#include <memory>
#include <string>

namespace {

using Sorva::PBall;
using Sorva::SpriteEmitter;
using Sorva::Gl::Fbo;
using Sorva::Test::setTrackKeys;
using Sorva::Test::setTrackValue;

// Counts calls in red through the previous state and passes "frame" and
// "dt" on; every particle is drawn outside the picture.
constexpr const char* countingSimulation = R"(#version 330 core
uniform sampler2D prevState; uniform int frame; uniform float dt; in vec2 uv;
layout(location = 0) out vec4 state; layout(location = 1) out vec4 colour;
layout(location = 2) out vec4 acc;
void main() {
    state = vec4(texture(prevState, uv).r + 1.0, float(frame), dt, 1.0);
    colour = vec4(0.0); acc = vec4(0.0);
})";
constexpr const char* offscreenParticle = R"(#version 330 core
layout(location = 0) in vec3 corner; void main() { gl_Position = vec4(2.0, 2.0, 2.0, 1.0); })";

class FixedInput : public Sorva::FrameInput {
public:
    double deltaTime() const override { return 0.25; }
    bool keyDown(int) const override { return false; }
};

class PBallGl : public Sorva::Test::GlTestContext {
protected:
    void SetUp() override {
        GlTestContext::SetUp();
        writeFile("data/shaders/pballsimu.fs", countingSimulation);
        writeFile("data/shaders/pball.vs", offscreenParticle);
        writeFile("data/shaders/pball.fs",
                  "#version 330 core\nout vec4 c; void main() { c = vec4(1.0); }");
        params_ = std::make_unique<Sorva::FxParams>(Sorva::makeFxParams("effu"));
        target_ = std::make_unique<Fbo>();
        target_->setup(display().width(), display().height(), 1, true);
    }

    std::unique_ptr<PBall> make(Sorva::Gl::Surface& surface) {
        std::unique_ptr<PBall> ball;
        ::testing::internal::CaptureStderr(); // the sprites are not there
        captureStdout([&] { ball = std::make_unique<PBall>(surface, input_); });
        ::testing::internal::GetCapturedStderr();
        return ball;
    }

    std::array<float, 4> statePixel(PBall& ball, int buffer) {
        ball.stateBuffer(buffer).bind();
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        return readPixel(7, 700);
    }

    FixedInput input_;
    std::unique_ptr<Sorva::FxParams> params_;
    std::unique_ptr<Fbo> target_; // made once the context exists
};

TEST_F(PBallGl, CallsAlternateStateBuffersAndReadWhatTheLastWrote) {
    auto ball = make(display());
    EXPECT_EQ(statePixel(*ball, 1), (std::array<float, 4>{0, 0, 0, 0})) << "starts zero-filled";

    struct Call {
        int writes;
        float count, frame;
    };
    for (const Call& call : {Call{0, 1, 0}, Call{1, 2, 1}, Call{0, 3, 2}}) {
        SCOPED_TRACE(call.count);
        ball->render(*target_, *params_);
        EXPECT_EQ(statePixel(*ball, call.writes),
                  (std::array<float, 4>{call.count, call.frame, 0.25f, 1.0f}));
    }
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], display().width()) << "the whole window again on return";
}

TEST_F(PBallGl, InstancesAddressTheStateFromCornerToCorner) {
    struct Case {
        int k;
        float u, v;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{1023, 0, 1}, Case{1024, 1.0f / 1023.0f, 0},
                          Case{PBall::particleCount - 1, 1, 1}})
        EXPECT_EQ(PBall::stateCoordinate(c.k), (std::array<float, 2>{c.u, c.v})) << c.k;
}

TEST_F(PBallGl, OcclusionRunsAtHalfTheWindowRoundedDown) {
    Sorva::Gl::Surface odd(1281, 721);
    auto ball = make(odd);
    EXPECT_EQ(ball->occlusionBuffer().colorTexture(0)->width(), 640);
    EXPECT_EQ(ball->occlusionBuffer().colorTexture(0)->height(), 360);
}

TEST_F(PBallGl, TextureIdsRoundLimitAndRespawnWhenTheirIndexChanges) {
    struct Case {
        double value;
        std::int32_t id;
        std::uint32_t image;
    };
    const Case cases[] = {{2.5, 3, 3},    {2.49, 2, 2},   {-0.5, 0, 0}, {-0.6, -1, 48},
                          {50.0, 50, 48}, {60.0, 60, 48}, {NAN, 0, 0},  {1e300, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(SpriteEmitter::roundTextureId(c.value), c.id) << c.value;
        EXPECT_EQ(SpriteEmitter::imageIndex(c.id, PBall::spriteCount), c.image) << c.value;
    }

    // Two emitters that change image in the same call land at the same
    // jitter; one that keeps its index stays latched at its initial values.
    auto ball = make(display());
    setTrackValue("sprite-sample-radius", 2.0f);
    setTrackValue("emit-sprite-1-pos-y", 5.0f);
    for (const float id : {50.0f, 60.0f}) {
        setTrackValue("emit-sprite-0-texture-id", id);
        setTrackValue("emit-sprite-1-texture-id", id);
        ball->render(*target_, *params_);
        const auto& emitters = ball->emitters();
        EXPECT_EQ(emitters[0].textureId, static_cast<int>(id));
        EXPECT_EQ(emitters[1].textureId, static_cast<int>(id));
        EXPECT_EQ(emitters[0].pos[0], emitters[1].pos[0]);
        EXPECT_EQ(emitters[0].pos[1] + 5.0f, emitters[1].pos[1]);
        EXPECT_EQ(emitters[0].pos[2], emitters[1].pos[2]);
        EXPECT_NE(std::abs(emitters[0].pos[0]) + std::abs(emitters[0].pos[1]), 0.0f);
        EXPECT_EQ(emitters[2].textureId, 0);
        EXPECT_EQ(emitters[2].scale, (std::array<float, 3>{1, 1, 1}));
    }
    setTrackKeys("emit-sprite-0-texture-id", {});
    setTrackKeys("emit-sprite-1-texture-id", {});
    setTrackKeys("sprite-sample-radius", {});
    setTrackKeys("emit-sprite-1-pos-y", {});
}

} // namespace
