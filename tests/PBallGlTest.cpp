// The particle ball on a real context with stand-in shaders: which state
// buffer each call writes and reads, the instance coordinates, the size of
// the occlusion target, how emitters round, limit and respawn, and what its
// passes receive on which unit; then the show's own shaders forming a cloud
// in the shape of a sprite, the outline of one dot, and the occlusion pass
// over a hand-made input.
#include "GlTestContext.h"
#include "HandMovedMusic.h"
#include "SamplerLog.h"
#include "TrackKeys.h"
#include "tests/ScratchDir.h"

#include "fx/PBall.h"
#include "gl/Fbo.h"
#include "gl/PassSetup.h"
#include "gl/ScreenPass.h"
#include "scene/CameraRig.h"
#include "scene/Snoise.h"
#include "sync/MusicClock.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

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

    std::unique_ptr<PBall> make(Sorva::Gl::Surface& surface, int particles = PBall::particleCount) {
        std::unique_ptr<PBall> ball;
        ::testing::internal::CaptureStderr(); // the sprites are not there
        captureStdout([&] { ball = std::make_unique<PBall>(surface, input_, particles); });
        ::testing::internal::GetCapturedStderr();
        return ball;
    }

    // The show's own shaders for these passes, and a plain black backdrop.
    void useShowShaders(std::initializer_list<const char*> files) {
        for (const char* file : files)
            Sorva::Test::copyOver(std::filesystem::path(HALVO_SOURCE_DIR) / "data/shaders" / file,
                                  std::filesystem::path("data/shaders") / file);
        for (const char* pass : {"a", "b", "image"})
            writeFile(std::string("data/shaders/hands/") + pass + ".fs",
                      "#version 330 core\nlayout(location = 0) out vec4 c;\n"
                      "layout(location = 1) out vec4 d;\nvoid main() { c = d = vec4(0.0); }");
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

TEST_F(PBallGl, FewerParticlesWorkOnlyTheColumnsTheyFill) {
    // Three columns and one particle more: four columns counted, the rest
    // left as they started; the scissor is off again for the passes after.
    auto ball = make(display(), 3 * PBall::stateSize + 1);
    ball->render(*target_, *params_);
    ball->stateBuffer(0).bind();
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(readPixel(3, 1023)[0], 1.0f);
    EXPECT_EQ(readPixel(4, 0)[0], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(PBallGl, ComingBackAfterAGapCarriesOnFromTheSameState) {
    // The counting simulation adds one a call to what it reads. Skipped rows,
    // however many, advance nothing: a fresh cloud on a return is the
    // choreography's to make (its lifetime at 0 just before), not a reset.
    Sorva::ManualAudioOutput& music = Sorva::Test::handMovedMusic(HALVO_TEST_TUNE);
    auto ball = make(display());
    const double rows[] = {1000.0, 1001.0, 1065.5, 1007.0, 3000.0};
    for (std::size_t k = 0; k < std::size(rows); ++k) {
        SCOPED_TRACE(rows[k]);
        Sorva::Test::moveMusicToRow(music, rows[k]);
        ball->render(*target_, *params_);
        EXPECT_EQ(statePixel(*ball, static_cast<int>(k % 2))[0], float(k + 1));
    }
    Sorva::Test::moveMusicToRow(music, 0.0);
}

TEST_F(PBallGl, InstancesAddressTheStateFromCornerToCorner) {
    // As uploaded: one (u, v) pair of floats per instance, and no more.
    auto ball = make(display());
    ball->instanceBuffer().bind();
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 8 * PBall::particleCount);
    struct Case {
        int k;
        float u, v;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{1023, 0, 1}, Case{1024, 1.0f / 1023.0f, 0},
                          Case{PBall::particleCount - 1, 1, 1}}) {
        std::array<float, 2> uploaded{};
        glGetBufferSubData(GL_ARRAY_BUFFER, 8 * c.k, 8, uploaded.data());
        EXPECT_EQ(uploaded, (std::array<float, 2>{c.u, c.v})) << c.k;
    }
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
    // jitter, seeded by the row floored: 99 just below row 100, where the
    // row as a float is already 100. One that keeps its index stays latched
    // at its initial values.
    Sorva::ManualAudioOutput& music = Sorva::Test::handMovedMusic(HALVO_TEST_TUNE);
    Sorva::Test::moveMusicToRow(music, 100.0 - std::ldexp(1.0, -20));
    ASSERT_EQ(static_cast<float>(Sorva::MusicClock::instance().row()), 100.0f);
    const float seed = 99.0f;
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
        EXPECT_EQ(emitters[0].pos, (std::array<float, 3>{2.0f * Sorva::snoise(seed, 43.0f),
                                                         2.0f * Sorva::snoise(54.543f, seed),
                                                         2.0f * Sorva::snoise(seed, seed)}));
        EXPECT_EQ(emitters[2].textureId, 0);
        EXPECT_EQ(emitters[2].scale, (std::array<float, 3>{1, 1, 1}));
    }
    setTrackKeys("emit-sprite-0-texture-id", {});
    setTrackKeys("emit-sprite-1-texture-id", {});
    setTrackKeys("sprite-sample-radius", {});
    setTrackKeys("emit-sprite-1-pos-y", {});
    Sorva::Test::moveMusicToRow(music, 0.0);
}

TEST_F(PBallGl, PassesGetTheRigsAxesAndTheLatchedEmittersOnTheirOwnUnits) {
    // The simulation shows emitter j's uniforms in the j-th third of the
    // state, with the size of the image it finds on its unit.
    writeFile("data/shaders/pballsimu.fs", R"(#version 330 core
struct Emitter { vec3 pos; vec3 scale; float cumprob; float width; float height; };
uniform Emitter emitters[3]; uniform sampler2D prevState, prevColor, prevAcc, sprites[3];
in vec2 uv;
layout(location = 0) out vec4 state; layout(location = 1) out vec4 colour;
layout(location = 2) out vec4 acc;
void main() {
    int j = int(uv.x * 3.0);
    ivec2 image = j == 0 ? textureSize(sprites[0], 0)
                : j == 1 ? textureSize(sprites[1], 0) : textureSize(sprites[2], 0);
    float before = texture(prevState, uv).x + texture(prevColor, uv).x + texture(prevAcc, uv).x;
    state = vec4(emitters[j].pos, emitters[j].cumprob);
    colour = vec4(emitters[j].scale, before);
    acc = vec4(emitters[j].width, emitters[j].height, vec2(image));
})");
    // Instance 0 covers the picture with "camr" and "camu" in the scene's
    // two attachments; occlusion passes "lookDir" and "iGlobalTime" on.
    writeFile("data/shaders/pball.vs", R"(#version 330 core
layout(location = 0) in vec3 corner; uniform vec3 camr, camu; flat out vec3 r, u;
void main() {
    r = camr; u = camu;
    gl_Position = gl_InstanceID == 0 ? vec4(corner.xy, 0.0, 1.0) : vec4(2.0, 2.0, 2.0, 1.0);
})");
    writeFile("data/shaders/pball.fs", R"(#version 330 core
flat in vec3 r, u; layout(location = 0) out vec4 c; layout(location = 1) out vec4 d;
void main() { c = vec4(r, 1.0); d = vec4(u, 1.0); })");
    writeFile("data/shaders/ao.fs", R"(#version 330 core
uniform vec3 lookDir; uniform float iGlobalTime; out vec4 c;
void main() { c = vec4(lookDir, iGlobalTime); })");
    writeFile("data/shaders/combine.fs", R"(#version 330 core
uniform sampler2D aotex, colortex; in vec2 uv; out vec4 c;
void main() { c = texture(aotex, uv) + texture(colortex, uv); })");
    // Image 0 is 2 x 3 and image 48 is 5 x 4.
    std::filesystem::create_directories("data/img");
    const std::vector<unsigned char> white(5 * 4 * 4, 255);
    ASSERT_TRUE(stbi_write_png("data/img/accuse.png", 2, 3, 4, white.data(), 2 * 4));
    ASSERT_TRUE(stbi_write_png("data/img/vihainennyrkki.png", 5, 4, 4, white.data(), 5 * 4));

    // Emitter 0 respawns once, with index 60; emitter 2 never does, its
    // index staying 0, though its other tracks are set.
    const std::pair<const char*, float> tracks[] = {
        {"pball-cam-or-roll", 30.0f},    {"pball-cam-or-pitch", 45.0f},
        {"pball-cam-or-yaw", 60.0f},     {"emit-sprite-0-texture-id", 60.0f},
        {"emit-sprite-0-pos-x", 1.0f},   {"emit-sprite-0-pos-y", 2.0f},
        {"emit-sprite-0-pos-z", 3.0f},   {"emit-sprite-0-scale-x", 2.0f},
        {"emit-sprite-0-scale-y", 2.0f}, {"emit-sprite-0-scale-z", 2.0f},
        {"emit-sprite-0-cumprob", 0.5f}, {"emit-sprite-2-pos-x", 4.0f},
        {"emit-sprite-2-scale-x", 3.0f}, {"emit-sprite-2-cumprob", 0.25f},
    };
    for (const auto& [name, value] : tracks)
        setTrackValue(name, value);
    auto ball = make(display());
    {
        Sorva::Test::SamplerLog samplers;
        ball->render(*target_, *params_);
        EXPECT_EQ(samplers.entries(), (std::vector<std::string>{
                                          "prevState=0 on 0", "prevColor=1 on 1", "prevAcc=2 on 2",
                                          "sprites[0]=3 on 3", "sprites[1]=4 on 4",
                                          "sprites[2]=5 on 5", "aotex=0 on 0", "colortex=1 on 1"}));
    }

    const Sorva::CameraRig rig(display(), "pball");
    Sorva::CameraRig::Vec3 ahead = {0.0f, 0.0f, 1.0f};
    rig.shake(ahead);
    const auto expectVec3 = [](const std::array<float, 4>& got, const Sorva::CameraRig::Vec3& want,
                               const char* what) {
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-6f) << what << " " << i;
    };
    ball->sceneBuffer().bind();
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    expectVec3(readPixel(32, 32), rig.up(), "camr, the up axis");
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    expectVec3(readPixel(32, 32), rig.right(), "camu, the right axis");
    ball->occlusionBuffer().bind();
    const std::array<float, 4> occlusion = readPixel(16, 16);
    expectVec3(occlusion, ahead, "lookDir, the shaken +z");
    EXPECT_EQ(occlusion[3], 1.0f) << "iGlobalTime counts this call";

    // The tracked emitter 0 moves on; the simulation keeps the latched one.
    for (const char* axis : {"x", "y", "z"}) {
        setTrackValue(std::string("emit-sprite-0-pos-") + axis, 7.0f);
        setTrackValue(std::string("emit-sprite-0-scale-") + axis, 4.0f);
    }
    setTrackValue("emit-sprite-0-cumprob", 0.75f);
    ball->render(*target_, *params_);
    for (const auto& [name, value] : tracks)
        setTrackKeys(name, {});

    struct Seen {
        int x;                    // the emitter's third of the state
        std::array<float, 4> pos; // pos and cumprob
        std::array<float, 3> scale;
        std::array<float, 4> size; // width, height, size of the image on its unit
    };
    for (const Seen& e : {Seen{170, {1, 2, 3, 0.5f}, {2, 2, 2}, {5, 4, 5, 4}},
                          Seen{853, {0, 0, 0, 0}, {1, 1, 1}, {2, 3, 2, 3}}}) {
        SCOPED_TRACE(e.x);
        ball->stateBuffer(1).bind();
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        EXPECT_EQ(readPixel(e.x, 512), e.pos);
        glReadBuffer(GL_COLOR_ATTACHMENT1);
        const std::array<float, 4> scale = readPixel(e.x, 512);
        EXPECT_EQ((std::array<float, 3>{scale[0], scale[1], scale[2]}), e.scale);
        glReadBuffer(GL_COLOR_ATTACHMENT2);
        EXPECT_EQ(readPixel(e.x, 512), e.size);
    }
}

// Pearson correlation of two equally long series.
double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ma += a[i] / a.size();
        mb += b[i] / b.size();
    }
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

TEST_F(PBallGl, TheCloudTakesTheShapeOfItsEmittersSprite) {
    useShowShaders({"pballsimu.fs", "pball.vs", "pball.fs", "ao.fs", "combine.fs"});
    // A red "L", 32 x 32, as "stop.png" (image 26): a shape that reads
    // differently mirrored or upside down. No particle image: round dots.
    constexpr int side = 32;
    const auto opaque = [](int x, int y) { return x < 11 || y >= 21; };
    std::vector<unsigned char> rgba(side * side * 4, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (opaque(x, y)) {
                rgba[4 * (y * side + x)] = 255;
                rgba[4 * (y * side + x) + 3] = 255;
            }
    std::filesystem::create_directories("data/img");
    ASSERT_TRUE(stbi_write_png("data/img/stop.png", side, side, 4, rgba.data(), side * 4));

    // Camera 4 units before the emitter, looking at it; everything still.
    const std::pair<const char*, float> tracks[] = {
        {"pball-cam-pos-z", -4.0f},       {"pball-cam-fov", 60.0f},
        {"pball-cam-near-z", 0.1f},       {"pball-cam-far-z", 100.0f},
        {"emit-sprite-0-texture-id", 26}, {"emit-sprite-0-cumprob", 1.0f},
        {"emit-sprite-0-scale-x", 2.0f},  {"emit-sprite-0-scale-y", 2.0f},
        {"emit-sprite-0-scale-z", 2.0f},  {"particle-ball-lifetime", 100.0f},
        {"fov-diameter", 0.02f},          {"fov-focus", 4.0f},
    };
    for (const auto& [name, value] : tracks)
        setTrackValue(name, value);
    auto ball = make(display());
    for (int call = 0; call < 2; ++call)
        ball->render(*target_, *params_);
    for (const auto& [name, value] : tracks)
        setTrackKeys(name, {});

    const int w = display().width();
    const int h = display().height();
    std::vector<float> pixels(static_cast<std::size_t>(w * h * 4));
    target_->bind();
    glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, pixels.data());
    // Red particles on black; rows bottom up.
    const auto covered = [&](int x, int y) {
        const float* p = &pixels[static_cast<std::size_t>(4 * (y * w + x))];
        return p[0] > 0.4f && p[1] < 0.2f && p[2] < 0.2f;
    };
    int x0 = w, x1 = -1, y0 = h, y1 = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (covered(x, y)) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    ASSERT_GT(x1 - x0, w / 4) << "the cloud is too small to read";
    ASSERT_GT(y1 - y0, h / 4) << "the cloud is too small to read";

    // The sprite stretched over the cloud's bounds, as drawn, mirrored and
    // upside down, against the pixels the particles cover.
    struct Reading {
        const char* name;
        bool mirrored, flipped;
        double correlation;
    };
    Reading readings[] = {{"as drawn", false, false, 0},
                          {"mirrored", true, false, 0},
                          {"upside down", false, true, 0}};
    for (Reading& r : readings) {
        std::vector<double> cloud, sprite;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int sx = (x - x0) * side / (x1 - x0 + 1);
                int sy = (y1 - y) * side / (y1 - y0 + 1); // image rows top down
                if (r.mirrored)
                    sx = side - 1 - sx;
                if (r.flipped)
                    sy = side - 1 - sy;
                cloud.push_back(covered(x, y) ? 1.0 : 0.0);
                sprite.push_back(opaque(sx, sy) ? 1.0 : 0.0);
            }
        r.correlation = correlation(cloud, sprite);
    }
    EXPECT_GT(readings[0].correlation, 0.6);
    for (const Reading& r : {readings[1], readings[2]})
        EXPECT_LT(r.correlation, readings[0].correlation - 0.3) << r.name;

    // What the occlusion pass reads: each particle's texel names a dot
    // (centre, 1 / radius in pixels) that reaches the texel.
    ball->sceneBuffer().bind();
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, pixels.data());
    int drawn = 0, offTheirDot = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float* p = &pixels[static_cast<std::size_t>(4 * (y * w + x))];
            if (p[3] < 0.0f) {
                ++drawn;
                offTheirDot += std::hypot(x + 0.5f - p[0], y + 0.5f - p[1]) * p[2] > 1.0f;
            }
        }
    EXPECT_GT(drawn, w * h / 20);
    EXPECT_EQ(offTheirDot, 0);
}

TEST_F(PBallGl, EachDotIsOneTriangleHoldingItsInnerDisc) {
    // One particle at the origin, fully shown; every other one parked. The
    // show's vertex stage with a fragment stage that keeps every fragment
    // and hands on the dot's centre and 1 / radius in pixels.
    writeFile("data/shaders/pballsimu.fs", R"(#version 330 core
layout(location = 0) out vec4 state; layout(location = 1) out vec4 colour;
layout(location = 2) out vec4 acc;
void main() {
    bool shown = ivec2(gl_FragCoord.xy) == ivec2(0);
    state = vec4(0.0, 0.0, 0.0, uintBitsToFloat(shown ? 0x5fffffffu : 0x80000000u));
    colour = vec4(1.0); acc = vec4(0.0, 0.0, 0.0, 1.0);
})");
    useShowShaders({"pball.vs"});
    writeFile("data/shaders/pball.fs", R"(#version 330 core
flat in uvec4 particle; layout(location = 0) out vec4 c; layout(location = 1) out vec4 d;
void main() { c = vec4(1.0); d = vec4(uintBitsToFloat(particle.xyz), -1.0); })");
    const std::pair<const char*, float> tracks[] = {
        {"pball-cam-pos-z", -4.0f},  {"pball-cam-fov", 60.0f}, {"pball-cam-near-z", 0.1f},
        {"pball-cam-far-z", 100.0f}, {"fov-diameter", 0.4f},   {"fov-focus", 4.0f},
    };
    for (const auto& [name, value] : tracks)
        setTrackValue(name, value);
    Sorva::Gl::Surface surface(256, 256);
    auto ball = make(surface);
    ball->render(*target_, *params_);
    for (const auto& [name, value] : tracks)
        setTrackKeys(name, {});

    std::vector<float> pixels(256 * 256 * 4);
    ball->sceneBuffer().bind();
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    glReadPixels(0, 0, 256, 256, GL_RGBA, GL_FLOAT, pixels.data());
    const float* dot = nullptr;
    for (std::size_t i = 0; i < pixels.size() && !dot; i += 4)
        dot = pixels[i + 3] < 0.0f ? &pixels[i] : nullptr;
    ASSERT_NE(dot, nullptr) << "the particle is not drawn";
    const float cx = dot[0], cy = dot[1], radius = 1.0f / dot[2];
    ASSERT_GT(radius, 8.0f) << "too small a dot to tell its outline";
    int covered = 0, innerMissed = 0, tooFar = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool drawn = pixels[static_cast<std::size_t>(4 * (y * 256 + x) + 3)] < 0.0f;
            const float r = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
            covered += drawn;
            innerMissed += !drawn && r <= 0.8f;
            tooFar += drawn && r > 1.6f + 1.0f / radius;
        }
    EXPECT_EQ(innerMissed, 0) << "the disc out to 0.8 of the radius is cut";
    EXPECT_EQ(tooFar, 0);
    // An equilateral triangle round that disc: 3 sqrt(3) 0.64 r^2, where
    // the square round it would cover 2.56 r^2.
    EXPECT_NEAR(covered / (radius * radius), 3.3255, 0.4);
}

TEST_F(PBallGl, OcclusionDarkensWhatLiesBehindANearerParticle) {
    useShowShaders({"ao.fs"});
    // Written by hand at 128 x 128, with the camera at the origin looking
    // along +z (clip w = z): a far dot (depth 5, centre x 60) on the left
    // half and a nearer one (depth 4.5, centre x 100) on the right, rows
    // 32..95; above them, rows 100..127 of the left half name the far dot's
    // centre with a radius that does not reach them. The rest is empty.
    constexpr int side = 128;
    std::vector<float> postex(side * side * 4, 0.0f);
    const auto put = [&](int x0, int x1, int y0, int y1, std::array<float, 4> texel) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                std::copy(texel.begin(), texel.end(), &postex[4 * (y * side + x)]);
    };
    put(0, 64, 32, 96, {60, 64, 0.01f, -5.0f});
    put(64, side, 32, 96, {100, 64, 0.01f, -4.5f});
    put(0, 64, 100, side, {60, 64, 0.05f, -5.0f});
    Fbo input, output;
    input.setup(side, side, 1, false);
    input.colorTexture(0)->bind();
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, side, side, GL_RGBA, GL_FLOAT, postex.data());
    output.setup(side / 2, side / 2, 1, false);

    std::unique_ptr<Sorva::Gl::ScreenPass> pass;
    captureStdout([&] {
        pass = std::make_unique<Sorva::Gl::ScreenPass>("./data/shaders/ao.fs", &display());
    });
    output.bind();
    glViewport(0, 0, side / 2, side / 2);
    Sorva::Gl::ShaderProgram* program = pass->program();
    program->bind();
    Sorva::Gl::bindInputs(display(), {input.colorTexture(0)});
    program->setUniform1i("postex", 0);
    program->setUniform3f("lookDir", 0.0f, 0.0f, 1.0f);
    program->setUniform1f("aoScale", 0.5f);
    program->setUniform1f("iGlobalTime", 3.0f);
    const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, -0.2f, 0};
    program->setUniformMatrix4fv("P", 1, false, projection);
    pass->draw();

    std::vector<float> open((side / 2) * (side / 2), 0.0f);
    glReadPixels(0, 0, side / 2, side / 2, GL_RED, GL_FLOAT, open.data());
    struct Region {
        const char* name;
        int x0, x1, y0, y1;    // occlusion pixels
        float lowest, highest; // of the mean open fraction
    };
    // Around the far dot's centre about one sample in eleven lands on the
    // nearer dot; everywhere else nothing is in front (open is at most 1).
    for (const Region& r :
         {Region{"far", 0, 32, 16, 48, 0.85f, 0.95f}, Region{"near", 32, 64, 16, 48, 1.0f, 1.0f},
          Region{"empty", 0, 64, 0, 16, 1.0f, 1.0f},
          Region{"off its dot", 0, 32, 50, 64, 1.0f, 1.0f}}) {
        float sum = 0.0f;
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                sum += open[y * (side / 2) + x];
        const float mean = sum / static_cast<float>((r.x1 - r.x0) * (r.y1 - r.y0));
        EXPECT_GE(mean, r.lowest) << r.name;
        EXPECT_LE(mean, r.highest) << r.name;
    }
}

TEST_F(PBallGl, ANonFiniteStateRespawnsInsteadOfLasting) {
    // Particles that would live on (a long lifetime), but whose position or
    // velocity and age went bad: the simulation's real shader must replace
    // them, or the garbage would stay in the state for good.
    useShowShaders({"pballsimu.fs"});
    setTrackValue("particle-ball-lifetime", 100.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        std::array<float, 4> state, velocity; // attachments 0 and 2
    };
    for (const Case& c : {Case{"position", {nan, 0, 0, 2.5f}, {0, 0, 0, 5}},
                          Case{"velocity", {0, 0, 0, 2.5f}, {inf, -inf, 0, 5}},
                          Case{"age", {0, 0, 0, 2.5f}, {0, 0, 0, nan}}}) {
        SCOPED_TRACE(c.name);
        auto ball = make(display());
        for (int buffer : {0, 1}) {
            ball->stateBuffer(buffer).bind();
            glClearBufferfv(GL_COLOR, 0, c.state.data());
            glClearBufferfv(GL_COLOR, 2, c.velocity.data());
        }
        ball->render(*target_, *params_);
        ball->stateBuffer(0).bind();
        for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT2}) {
            glReadBuffer(attachment);
            for (const auto& [x, y] : {std::pair{0, 0}, {511, 300}, {1023, 1023}})
                for (float v : readPixel(x, y))
                    EXPECT_TRUE(std::isfinite(v)) << attachment << " at " << x << "," << y;
        }
    }
    setTrackKeys("particle-ball-lifetime", {});
}

} // namespace
