// The tunnel and blue feedback scenes and the hands backdrop on a real context, with stand-in
// shaders that make their wiring visible: which pass draws, which buffer a
// call reads and writes, what survives a pause and a reset.
#include "GlTestContext.h"
#include "TrackKeys.h"

#include "fx/BackgroundFx.h"
#include "fx/FeedbackFx.h"
#include "fx/TunnelFx.h"
#include "gl/Fbo.h"
#include "gl/ReloadRegistry.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"

#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

using Sorva::FxParams;
using Sorva::SyncKey;
using Sorva::Gl::Fbo;
using Sorva::Test::setTrackKeys;
using Sorva::Test::setTrackValue;

// The process's music clock, opened once on an output the test moves.
Sorva::ManualAudioOutput& handMovedMusic() {
    static Sorva::ManualAudioOutput* output = [] {
        auto made = std::make_unique<Sorva::ManualAudioOutput>();
        Sorva::ManualAudioOutput* kept = made.get();
        Sorva::MusicClock::instance().open(HALVO_TEST_TUNE, 131.0, std::move(made));
        Sorva::MusicClock::instance().start();
        return kept;
    }();
    return *output;
}

class EffectGl : public Sorva::Test::GlTestContext {
protected:
    void SetUp() override {
        GlTestContext::SetUp();
        target_ = std::make_unique<Fbo>();
        target_->setup(display().width(), display().height(), 1, true);
        params_ = std::make_unique<FxParams>(Sorva::makeFxParams("effu"));
    }

    template <typename Effect> std::unique_ptr<Effect> make() {
        std::unique_ptr<Effect> effect;
        captureStdout([&] { effect = std::make_unique<Effect>(display()); });
        return effect;
    }

    std::array<float, 4> centre() {
        target_->bind();
        return readPixel(display().width() / 2, display().height() / 2);
    }

    static GLuint unit0Texture() {
        GLint name = 0;
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return static_cast<GLuint>(name);
    }

    std::unique_ptr<Fbo> target_;
    std::unique_ptr<FxParams> params_;
};

TEST_F(EffectGl, TunnelIdAboveHalfDrawsSceneAAndEverythingElseSceneAA) {
    // Each scene shader paints its own red; the finishing pass adds blue to
    // what it reads and passes iTime on in alpha.
    writeFile("data/shaders/tunnel/a.fs",
              "#version 330 core\nout vec4 c; void main() { c = vec4(0.25, 0, 0, 1); }");
    writeFile("data/shaders/tunnel/aa.fs",
              "#version 330 core\nout vec4 c; void main() { c = vec4(0.75, 0, 0, 1); }");
    writeFile("data/shaders/tunnel/b.fs", R"(#version 330 core
uniform sampler2D iChannel0; uniform float iTime; in vec2 uv; out vec4 c;
void main() { c = vec4(texture(iChannel0, uv).rgb + vec3(0, 0, 0.5), iTime); })");
    auto tunnel = make<Sorva::TunnelFx>();
    params_->iGlobalTime = 7.0f;

    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        std::vector<SyncKey> keys;
        float red;
    };
    const Case cases[] = {
        {"0.5", {SyncKey{0, 0.5f, 0}}, 0.75f},
        {"0.50001", {SyncKey{0, 0.50001f, 0}}, 0.25f},
        {"-1", {SyncKey{0, -1.0f, 0}}, 0.75f},
        {"NaN", {SyncKey{0, nan, 0}}, 0.75f},
        {"no track", {}, 0.75f},
        {"1", {SyncKey{0, 1.0f, 0}}, 0.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setTrackKeys("tunnel-id", c.keys);
        tunnel->render(*target_, *params_);
        EXPECT_EQ(centre(), (std::array<float, 4>{c.red, 0.0f, 0.5f, 7.0f}));
    }
}

// Adds 1 to the red of the history on every call; a reset starts from 0.
constexpr const char* countingFeedback = R"(#version 330 core
uniform sampler2D iChannel0; uniform float resetMe; in vec2 uv; out vec4 c;
void main() { c = resetMe > 0.5 ? vec4(0, 0, 0, 1) : texture(iChannel0, uv) + vec4(1, 0, 0, 0); })";
constexpr const char* passThrough = R"(#version 330 core
uniform sampler2D iChannel0; in vec2 uv; out vec4 c;
void main() { c = texture(iChannel0, uv); })";

TEST_F(EffectGl, FeedbackCallsAlternateBuffersAndEachReadsWhatTheLastWrote) {
    writeFile("data/shaders/fba.fs", countingFeedback);
    writeFile("data/shaders/fbb.fs", passThrough);
    auto feedback = make<Sorva::FeedbackFx>();
    setTrackValue("blue-feedback-reset", 1.0f);
    feedback->render(*target_, *params_);
    const GLuint first = unit0Texture();
    setTrackValue("blue-feedback-reset", 0.0f);

    struct Step {
        int pausedFrames; // frames without a call before this one
        float red;
        bool writesFirst; // writes the buffer the first call wrote
    };
    const Step steps[] = {{0, 1.0f, false}, {0, 2.0f, true}, {5, 3.0f, false}, {1, 4.0f, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.red);
        for (int i = 0; i < step.pausedFrames; ++i) {
            // What other scenes do meanwhile: other framebuffers, other units.
            Fbo other;
            other.setup(display().width(), display().height(), 1, true);
            glClearColor(9.0f, 9.0f, 9.0f, 9.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        feedback->render(*target_, *params_);
        EXPECT_EQ(unit0Texture() == first, step.writesFirst);
        EXPECT_EQ(centre()[0], step.red);
    }

    setTrackValue("blue-feedback-reset", 1.0f);
    feedback->render(*target_, *params_);
    EXPECT_EQ(centre()[0], 0.0f) << "a reset clears the history";
    setTrackValue("blue-feedback-reset", 0.0f);
    feedback->render(*target_, *params_);
    EXPECT_EQ(centre()[0], 1.0f);
}

TEST_F(EffectGl, TheShowsFeedbackShaderLeavesNoNaNBehindAfterAReset) {
    // A history full of NaN, as a broken shader edit could leave it; then the
    // show's own shader with a reset on two calls, one per buffer.
    writeFile("data/shaders/fba.fs", R"(#version 330 core
out vec4 c; void main() { c = vec4(uintBitsToFloat(0x7fc00000u)); })");
    writeFile("data/shaders/fbb.fs", passThrough);
    auto feedback = make<Sorva::FeedbackFx>();
    feedback->render(*target_, *params_);
    feedback->render(*target_, *params_);
    ASSERT_TRUE(std::isnan(centre()[0]));

    std::filesystem::copy_file(std::filesystem::path(HALVO_SOURCE_DIR) / "data/shaders/fba.fs",
                               "data/shaders/fba.fs",
                               std::filesystem::copy_options::overwrite_existing);
    captureStdout([] { Sorva::ReloadRegistry::instance().reloadAll(); });
    setTrackValue("blue-feedback-reset", 1.0f);
    feedback->render(*target_, *params_);
    feedback->render(*target_, *params_);
    setTrackValue("blue-feedback-reset", 0.0f);
    for (int call = 0; call < 3; ++call) {
        feedback->render(*target_, *params_);
        target_->bind();
        for (const auto& [x, y] : {std::pair{1, 1}, {32, 32}, {62, 40}})
            for (float v : readPixel(x, y))
                EXPECT_TRUE(std::isfinite(v)) << "call " << call << " at " << x << "," << y;
    }
}

TEST_F(EffectGl, BackdropPaintsOverTheLastPaintAndRunsOnBarsOfMusic) {
    // The hands pass passes the time on; the paint pass counts its calls in
    // green through its history and passes "ColorPaint" on in blue.
    writeFile("data/shaders/hands/a.fs", R"(#version 330 core
uniform float iTime; out vec4 c; void main() { c = vec4(iTime, 0, 0, 1); })");
    writeFile("data/shaders/hands/b.fs", R"(#version 330 core
uniform sampler2D iChannel0, iChannel1; uniform float ColorPaint; in vec2 uv; out vec4 c;
void main() {
    c = vec4(texture(iChannel0, uv).r, texture(iChannel1, uv).g + 1.0, ColorPaint, 1);
})");
    writeFile("data/shaders/hands/image.fs", passThrough);
    Sorva::ManualAudioOutput& music = handMovedMusic();
    auto backdrop = make<Sorva::BackgroundFx>();
    setTrackValue("color-paint", 0.5f);

    struct Step {
        double row;
        float time; // one unit a bar
        float calls;
    };
    const Step steps[] = {{0.0, 0.0f, 1.0f}, {64.0, 2.0f, 2.0f}, {64.0, 2.0f, 3.0f}};
    GLuint painted[3] = {};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(steps[i].row);
        music.setPosition(steps[i].row * 60.0 / (131.0 * 8.0) * 44100.0);
        backdrop->render(*target_, *params_);
        painted[i] = unit0Texture();
        const auto pixel = centre();
        EXPECT_FLOAT_EQ(pixel[0], steps[i].time);
        EXPECT_EQ(pixel[1], steps[i].calls) << "history is the last call's paint";
        EXPECT_EQ(pixel[2], 0.5f);
    }
    EXPECT_NE(painted[0], painted[1]);
    EXPECT_EQ(painted[0], painted[2]);
}

} // namespace
