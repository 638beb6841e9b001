// The scene director, the pattern scenes and the effects' shared pass on a
// real context: which scene renders, in which order, through which buffer,
// unit and weight, and what a skipped scene leaves behind.
#include "GlTestContext.h"
#include "TrackKeys.h"

#include "fx/PatternBFx.h"
#include "fx/PatternFx.h"
#include "fx/ShowScenes.h"
#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "scene/EffectPass.h"
#include "scene/SceneDirector.h"
#include "sync/Track.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using Sorva::EFx;
using Sorva::FxParams;
using Sorva::SceneDirector;
using Sorva::SyncKey;
using Sorva::Gl::Fbo;
using Sorva::Test::setTrackKeys;
using Sorva::Test::setTrackValue;

// Shows slot i in the i-th fifth of the picture: its buffer's colour and, in
// alpha, its weight.
constexpr const char* probeCombiner = R"(#version 330 core
uniform sampler2D bufferA, bufferB, bufferC, bufferD, bufferE;
uniform float weightA, weightB, weightC, weightD, weightE;
in vec2 uv;
out vec4 colour;
void main() {
    int slot = int(uv.x * 5.0);
    vec2 at = vec2(0.5);
    if (slot == 0) colour = vec4(texture(bufferA, at).rgb, weightA);
    else if (slot == 1) colour = vec4(texture(bufferB, at).rgb, weightB);
    else if (slot == 2) colour = vec4(texture(bufferC, at).rgb, weightC);
    else if (slot == 3) colour = vec4(texture(bufferD, at).rgb, weightD);
    else colour = vec4(texture(bufferE, at).rgb, weightE);
}
)";

// An effect that clears its target to a colour telling which slot drew,
// how many times it has drawn, and the iGlobalTime it was handed.
class ProbeFx : public EFx {
public:
    ProbeFx(Sorva::Gl::Surface& display, int slot, std::vector<int>& log)
        : display_(display), slot_(slot), log_(log) {}
    void render(Fbo& target, const FxParams& params) override {
        ++calls_;
        log_.push_back(slot_);
        target.bind();
        display_.viewport(0, 0, display_.width(), display_.height());
        glClearColor(probeCode(slot_), static_cast<float>(calls_), params.iGlobalTime, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static float probeCode(int slot) { return 0.1f * static_cast<float>(slot + 1); }

private:
    Sorva::Gl::Surface& display_;
    int slot_;
    std::vector<int>& log_;
    int calls_ = 0;
};

class SceneGl : public Sorva::Test::GlTestContext {
protected:
    void SetUp() override {
        GlTestContext::SetUp();
        writeFile("data/shaders/skenekombiner.fs", probeCombiner);
        target_ = std::make_unique<Fbo>();
        target_->setup(display().width(), display().height(), 1, true);
        setTrackValue("fx-effu-iGlobalTime", 0.0f);
    }

    std::unique_ptr<SceneDirector> makeProbeDirector() {
        std::array<SceneDirector::EffectMaker, SceneDirector::slotCount> slots;
        for (int i = 0; i < 5; ++i)
            slots[i] = [this, i](Sorva::Gl::Surface& display) {
                return std::make_unique<ProbeFx>(display, i, log_);
            };
        std::unique_ptr<SceneDirector> director;
        captureStdout([&] { director = std::make_unique<SceneDirector>(display(), slots); });
        return director;
    }

    static void setWeights(const std::array<float, 5>& weights) {
        for (int i = 0; i < 5; ++i)
            setTrackValue("fusing-weight-" + std::to_string(i), weights[i]);
    }

    // The combined pixel of slot i, as the probe combiner lays them out.
    std::array<float, 4> slotPixel(int slot) {
        target_->bind();
        const int width = display().width();
        return readPixel(width * (2 * slot + 1) / 10, display().height() / 2);
    }

    // Made once the context exists.
    std::unique_ptr<Fbo> target_;
    std::vector<int> log_;
};

TEST_F(SceneGl, EachSlotReachesTheCombinerThroughItsOwnBufferUnitAndWeight) {
    auto director = makeProbeDirector();
    const std::array<float, 5> weights = {1.0f, 0.5f, -0.25f, 2.0f, 0.75f};
    setWeights(weights);
    setTrackValue("fx-effu-iGlobalTime", 3.5f);
    glViewport(0, 0, 1, 1);

    director->render(*target_);

    EXPECT_EQ(log_, (std::vector<int>{0, 1, 2, 3, 4})) << "effects render in slot order";
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
              (std::array<GLint, 4>{0, 0, display().width(), display().height()}));
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), target_->id()) << "target is left bound";

    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const auto pixel = slotPixel(i);
        EXPECT_FLOAT_EQ(pixel[0], ProbeFx::probeCode(i)) << "buffer of another slot sampled";
        EXPECT_EQ(pixel[1], 1.0f) << "one render call";
        EXPECT_EQ(pixel[2], 3.5f) << "iGlobalTime from the parameter record";
        EXPECT_EQ(pixel[3], weights[i]) << "weight passed on unchanged, sign kept";
    }
}

TEST_F(SceneGl, GateSkipsWeightsUpToAThousandthAndSkippedScenesKeepTheirPicture) {
    auto director = makeProbeDirector();
    setWeights({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
    director->render(*target_);
    log_.clear();

    // Exactly +-0.001 as doubles: linear keys from row -1 to 999, read at row 0.
    setTrackKeys("fusing-weight-0", {SyncKey{-1, 0.0f, 1}, SyncKey{999, 1.0f, 0}});
    setTrackKeys("fusing-weight-1", {SyncKey{-1, 0.0f, 1}, SyncKey{999, -1.0f, 0}});
    setTrackValue("fusing-weight-2", 0.001f);
    setTrackValue("fusing-weight-3", -0.4f);
    setTrackValue("fusing-weight-4", 0.0f);
    ASSERT_EQ(Sorva::Track("fusing-weight-0").value(), 0.001);
    ASSERT_EQ(Sorva::Track("fusing-weight-1").value(), -0.001);

    director->render(*target_);

    struct Expect {
        bool renders;
        float weight;
    };
    const Expect expected[] = {
        {false, 0.001f}, {false, -0.001f}, {true, 0.001f}, {true, -0.4f}, {false, 0.0f},
    };
    EXPECT_EQ(log_, (std::vector<int>{2, 3}));
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const auto pixel = slotPixel(i);
        EXPECT_EQ(pixel[1], expected[i].renders ? 2.0f : 1.0f)
            << (expected[i].renders ? "not rendered" : "rendered, or its picture was lost");
        EXPECT_FLOAT_EQ(pixel[0], ProbeFx::probeCode(i));
        EXPECT_EQ(pixel[3], expected[i].weight);
    }
}

TEST_F(SceneGl, WithEveryWeightZeroNoSceneRendersButTheCombinerStillDraws) {
    auto director = makeProbeDirector();
    setWeights({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
    director->render(*target_);
    log_.clear();
    setWeights({0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    target_->bind();
    glClearColor(9.0f, 9.0f, 9.0f, 9.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    director->render(*target_);

    EXPECT_TRUE(log_.empty());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const auto pixel = slotPixel(i);
        EXPECT_FLOAT_EQ(pixel[0], ProbeFx::probeCode(i)) << "the combiner did not draw";
        EXPECT_EQ(pixel[3], 0.0f);
    }
}

TEST_F(SceneGl, TheShowPutsItsScenesInTheirSlotsAndBuildsTheCombinerFirst) {
    // Each scene's last shader paints its own red.
    const std::pair<const char*, const char*> paints[] = {
        {"pattern.fs", "0.25"},   {"fbb.fs", "0.5"},       {"fba.fs", "0.0"},
        {"tunnel/b.fs", "0.625"}, {"tunnel/a.fs", "0.0"},  {"tunnel/aa.fs", "0.0"},
        {"pattern2.fs", "0.75"},  {"combine.fs", "0.125"},
    };
    for (const auto& [file, red] : paints)
        writeFile(std::string("data/shaders/") + file,
                  std::string("#version 330 core\nout vec4 c; void main() { c = vec4(") + red +
                      ", 0.0, 0.0, 1.0); }");
    setWeights({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});

    std::unique_ptr<SceneDirector> director;
    const std::string out = captureStdout([&] {
        director = std::make_unique<SceneDirector>(display(), Sorva::showScenes(display()));
    });
    director->render(*target_);

    const float reds[] = {0.125f, 0.25f, 0.5f, 0.625f, 0.75f};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(slotPixel(i)[0], reds[i]) << "slot " << i;
    const auto combiner = out.find("bufferA");
    const auto pattern = out.find("0.25");
    const auto pattern2 = out.find("0.75");
    ASSERT_NE(combiner, std::string::npos);
    EXPECT_LT(combiner, pattern);
    EXPECT_LT(pattern, pattern2);
}

class PatternGl : public Sorva::Test::GlTestContext {};

TEST_F(PatternGl, PatternScenesClearToWhiteAndGetTimeAndResolution) {
    // The left half is left unwritten, so the clear colour shows there.
    const char* shader = R"(#version 330 core
uniform float iTime;
uniform vec2 iResolution;
in vec2 uv;
out vec4 c;
void main() {
    if (uv.x < 0.5) discard;
    c = vec4(iTime, iResolution, 0.5);
})";
    writeFile("data/shaders/pattern.fs", shader);
    writeFile("data/shaders/pattern2.fs", shader);
    std::unique_ptr<EFx> scenes[2];
    captureStdout([&] {
        scenes[0] = std::make_unique<Sorva::PatternFx>(display());
        scenes[1] = std::make_unique<Sorva::PatternBFx>(display());
    });
    FxParams params = Sorva::makeFxParams("effu");
    params.iGlobalTime = 12.5f;

    for (auto& scene : scenes) {
        Fbo target;
        target.setup(display().width(), display().height(), 1, true);
        glDisable(GL_DEPTH_TEST);
        display().viewport(0, 0, display().width(), display().height());

        scene->render(target, params);

        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        target.bind();
        EXPECT_EQ(readPixel(2, 30), (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
        EXPECT_EQ(readPixel(60, 30), (std::array<float, 4>{12.5f, 64.0f, 64.0f, 0.5f}));
    }
}

class EffectPassGl : public Sorva::Test::GlTestContext {};

TEST_F(EffectPassGl, BindsInputsAndTheirSamplersInUnitOrderOverAClearedWholeWindow) {
    writeFile("data/shaders/two.fs", R"(#version 330 core
uniform sampler2D iChannel0, iChannel1;
in vec2 uv;
out vec4 c;
void main() {
    if (uv.x < 0.5) discard;
    c = vec4(texture(iChannel0, uv).r, texture(iChannel1, uv).r, 0.0, 1.0);
})");
    std::unique_ptr<Sorva::Gl::ScreenPass> pass;
    captureStdout([&] {
        pass = std::make_unique<Sorva::Gl::ScreenPass>("./data/shaders/two.fs", &display());
    });
    Fbo inputs[2];
    const float reds[2] = {0.25f, 0.75f};
    for (int i = 0; i < 2; ++i) {
        inputs[i].setup(display().width(), display().height(), 1, false);
        glClearColor(reds[i], 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    Fbo destination;
    destination.setup(display().width(), display().height(), 1, true);
    glClearColor(5.0f, 5.0f, 5.0f, 5.0f);
    glViewport(0, 0, 4, 4);
    glEnable(GL_BLEND);

    // Each input's sampler is set by the helper, to the input's unit.
    Sorva::beginEffectPass(
        display(), destination, *pass,
        {{inputs[0].colorTexture(0), "iChannel0"}, {inputs[1].colorTexture(0), "iChannel1"}});
    pass->draw();

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    destination.bind();
    EXPECT_EQ(readPixel(2, 60), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(readPixel(60, 60), (std::array<float, 4>{0.25f, 0.75f, 0.0f, 1.0f}));
}

} // namespace
