// The tunnel and blue feedback scenes and the hands backdrop on a real context, with stand-in
// shaders that make their wiring visible: which pass draws, which buffer a
// call reads and writes, what survives a pause and a reset.
#include "GlTestContext.h"
#include "HandMovedMusic.h"
#include "SamplerLog.h"
#include "TrackKeys.h"
#include "tests/ScratchDir.h"

#include "fx/BackgroundFx.h"
#include "fx/FeedbackFx.h"
#include "fx/TunnelFx.h"
#include "gl/Fbo.h"
#include "gl/ReloadRegistry.h"

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Sorva::FxParams;
using Sorva::SyncKey;
using Sorva::Gl::Fbo;
using Sorva::Test::copyOver;
using Sorva::Test::setTrackKeys;
using Sorva::Test::setTrackValue;

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

    std::array<float, 4> centre() { return at(display().width() / 2, display().height() / 2); }
    std::array<float, 4> at(int x, int y) {
        target_->bind();
        return readPixel(x, y);
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
    // Each scene shader paints its own red and passes iTime on in green; the
    // finishing pass adds blue to what it reads and passes iTime on in alpha.
    for (const auto& [file, red] : {std::pair{"a", "0.25"}, {"aa", "0.75"}})
        writeFile(std::string("data/shaders/tunnel/") + file + ".fs",
                  std::string("#version 330 core\nuniform float iTime; out vec4 c;\n"
                              "void main() { c = vec4(") +
                      red + ", iTime, 0, 1); }");
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
        EXPECT_EQ(centre(), (std::array<float, 4>{c.red, 7.0f, 0.5f, 7.0f}));
    }
}

// Adds 1 to the red of the history on every call, a reset starting from 0,
// and passes "iMouse" on in green, blue and alpha.
constexpr const char* countingFeedback = R"(#version 330 core
uniform sampler2D iChannel0, iChannel1; uniform float resetMe; uniform vec3 iMouse;
in vec2 uv; out vec4 c;
void main() {
    float count = resetMe > 0.5 ? 0.0 : texture(iChannel0, uv).r + 1.0;
    c = vec4(count + texture(iChannel1, uv).r, iMouse); // no noise image here: + 0
})";
// Passes the feedback image on in the bottom half and shows the seven float
// uniforms in the top half, one a column (the missing images add 0).
constexpr const char* showingCompositor = R"(#version 330 core
uniform sampler2D iChannel0, titleA, titleB, titleC, greets;
uniform float weightBg, weightA, weightB, weightC, weightGreets, uvYthreshold, F;
in vec2 uv; out vec4 c;
void main() {
    float images = texture(titleA, uv).r + texture(titleB, uv).r + texture(titleC, uv).r +
                   texture(greets, uv).r;
    float w[7] = float[7](weightBg, weightA, weightB, weightC, weightGreets, uvYthreshold, F);
    c = uv.y < 0.5 ? texture(iChannel0, uv) : vec4(w[int(uv.x * 7.0)] + images);
})";
constexpr const char* passThrough = R"(#version 330 core
uniform sampler2D iChannel0; in vec2 uv; out vec4 c;
void main() { c = texture(iChannel0, uv); })";

TEST_F(EffectGl, FeedbackCallsAlternateBuffersAndEachReadsWhatTheLastWrote) {
    writeFile("data/shaders/fba.fs", countingFeedback);
    writeFile("data/shaders/fbb.fs", showingCompositor);
    auto feedback = make<Sorva::FeedbackFx>();
    setTrackValue("blue-feedback-reset", 1.0f);
    {
        Sorva::Test::SamplerLog samplers;
        feedback->render(*target_, *params_);
        EXPECT_EQ(samplers.entries(),
                  (std::vector<std::string>{"iChannel0=0 on 0", "iChannel1=1 on 1",
                                            "iChannel0=0 on 0", "titleA=1 on 1", "titleB=2 on 2",
                                            "titleC=3 on 3", "greets=4 on 4"}));
    }
    const GLuint first = unit0Texture();
    setTrackValue("blue-feedback-reset", 0.0f);
    const char* floats[7] = {"w-bg", "w-a", "w-b", "w-c", "w-greet", "tex-y-threshold", "greet-F"};

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
        // New values on every call: the mouse through the parameter record.
        for (int k = 0; k < 7; ++k)
            setTrackValue(std::string("blue-feedback-") + floats[k], step.red + 0.125f * k);
        setTrackValue("fx-effu-iMouseX", -step.red);
        setTrackValue("fx-effu-iMouseY", 2.0f * step.red);
        setTrackValue("fx-effu-iMouseZ", 0.5f);
        Sorva::fillFxParams(*params_);
        feedback->render(*target_, *params_);
        EXPECT_EQ(unit0Texture() == first, step.writesFirst);
        EXPECT_EQ(at(32, 16), (std::array<float, 4>{step.red, -step.red, 2.0f * step.red, 0.5f}));
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(at((2 * k + 1) * 64 / 14, 48)[0], step.red + 0.125f * k) << floats[k];
    }

    setTrackValue("blue-feedback-reset", 1.0f);
    feedback->render(*target_, *params_);
    EXPECT_EQ(at(32, 16)[0], 0.0f) << "a reset clears the history";
    setTrackValue("blue-feedback-reset", 0.0f);
    feedback->render(*target_, *params_);
    EXPECT_EQ(at(32, 16)[0], 1.0f);
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

    copyOver(std::filesystem::path(HALVO_SOURCE_DIR) / "data/shaders/fba.fs",
             "data/shaders/fba.fs");
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
    // green through its history and passes "ColorPaint" on in blue and
    // "Light" in alpha over 1.
    writeFile("data/shaders/hands/a.fs", R"(#version 330 core
uniform float iTime; out vec4 c; void main() { c = vec4(iTime, 0, 0, 1); })");
    writeFile("data/shaders/hands/b.fs", R"(#version 330 core
uniform sampler2D iChannel0, iChannel1; uniform float ColorPaint, Light; in vec2 uv; out vec4 c;
void main() {
    c = vec4(texture(iChannel0, uv).r, texture(iChannel1, uv).g + 1.0, ColorPaint, 1.0 + Light);
})");
    // The presentation pass adds to alpha every uniform it must not get.
    writeFile("data/shaders/hands/image.fs", R"(#version 330 core
uniform sampler2D iChannel0; uniform float iTime, ColorPaint, Light; uniform vec2 iResolution;
in vec2 uv; out vec4 c;
void main() { c = texture(iChannel0, uv) + vec4(0, 0, 0, iTime + ColorPaint + Light + iResolution.x); })");
    Sorva::ManualAudioOutput& music = Sorva::Test::handMovedMusic(HALVO_TEST_TUNE);
    auto backdrop = make<Sorva::BackgroundFx>();
    setTrackValue("color-paint", 0.5f);
    setTrackValue("hands-light", 0.25f);
    *params_ = FxParams{1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, params_->tracks};

    struct Step {
        double row;
        float time; // one unit a bar
        float calls;
    };
    const Step steps[] = {{0.0, 0.0f, 1.0f}, {64.0, 2.0f, 2.0f}, {64.0, 2.0f, 3.0f}};
    GLuint painted[3] = {};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(steps[i].row);
        Sorva::Test::moveMusicToRow(music, steps[i].row);
        Sorva::Test::SamplerLog samplers;
        backdrop->render(*target_, *params_);
        EXPECT_EQ(
            samplers.entries(),
            (std::vector<std::string>{"iChannel0=0 on 0", "iChannel1=1 on 1", "iChannel0=0 on 0"}));
        painted[i] = unit0Texture();
        const auto pixel = centre();
        EXPECT_FLOAT_EQ(pixel[0], steps[i].time);
        EXPECT_EQ(pixel[1], steps[i].calls) << "history is the last call's paint";
        EXPECT_EQ(pixel[2], 0.5f);
        EXPECT_EQ(pixel[3], 1.25f) << "the light, and the presentation pass gets only its sampler";
    }
    EXPECT_NE(painted[0], painted[1]);
    EXPECT_EQ(painted[0], painted[2]);
    setTrackKeys("hands-light", {});
}

} // namespace
