// The frame routine's post chain on a real context: where each pass reads
// and draws, its clear colour, the track and time values in its uniforms,
// and the DCT stages giving back their input when nothing is decimated.
#include "GlTestContext.h"
#include "TrackKeys.h"
#include "tests/ScratchDir.h"

#include "app/Show.h"
#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "sync/MusicClock.h"
#include "sync/SilentAudioOutput.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Sorva::Show;
using Sorva::Gl::Fbo;
using Sorva::Gl::ScreenPass;
using Sorva::Test::setTrackValue;
using Pixel = std::array<float, 4>;

// The post passes in order: fragment file and the sampler it reads.
struct PassFile {
    const char* path;
    const char* sampler;
};
constexpr PassFile passFiles[6] = {
    {"data/shaders/trivial.fs", "textu"},   {"data/shaders/fxaa.fs", "inputtex"},
    {"data/shaders/dct/a.fs", "iChannel0"}, {"data/shaders/dct/b.fs", "iChannel0"},
    {"data/shaders/dct/c.fs", "iChannel0"}, {"data/shaders/dct/d.fs", "iChannel0"},
};

const char* const emptyScene = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(0.0); }\n";

class PostChainGl : public Sorva::Test::GlTestContext {
protected:
    void SetUp() override {
        GlTestContext::SetUp();
        writeFile("data/shaders/skenekombiner.fs", emptyScene);
        writeFile("data/shaders/pattern.fs", emptyScene);
        writeFile("data/shaders/pattern2.fs", emptyScene);
        for (const char* track :
             {"letterbox-r", "letterbox-g", "letterbox-b", "dct-glitch", "dct-decimate"})
            setTrackValue(track, 0.0f);
    }

    // One pass shader per post pass, made from its sampler's name.
    template <typename Source> void writePassShaders(Source source) {
        for (int i = 0; i < 6; ++i)
            writeFile(passFiles[i].path, source(i + 1, passFiles[i].sampler));
    }

    std::unique_ptr<Show> makeShow() {
        std::unique_ptr<Show> show;
        captureStdout([&] { show = std::make_unique<Show>(display()); });
        return show;
    }

    // Fills post buffer 1, as the director would.
    static void fillBuffer1(Show& show, float r, float g, float b) {
        show.buffer(1).bind();
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // Pixel of a post buffer (2 to 6), or of the window for 7.
    Pixel outputPixel(Show& show, int buffer, int x, int y) {
        if (buffer == 7) {
            display().bindScreen();
            glReadBuffer(GL_BACK);
        } else {
            show.buffer(buffer).bind();
        }
        return readPixel(x, y);
    }
};

void expectNear(const Pixel& actual, const Pixel& expected, float tolerance) {
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance) << "channel " << c;
}

TEST_F(PostChainGl, EachPassReadsThePreviousBufferAndOnlyTheLastDrawsToTheWindow) {
    // Pass k writes k/8 in red and what it read, its input's red, in green.
    writePassShaders([](int k, const char* sampler) {
        return "#version 330 core\nuniform sampler2D " + std::string(sampler) +
               ";\nout vec4 c;\nvoid main() { c = vec4(" + std::to_string(k) +
               ".0 / 8.0, texelFetch(" + sampler + ", ivec2(gl_FragCoord.xy), 0).r, 0.0, 1.0); }\n";
    });
    auto show = makeShow();
    fillBuffer1(*show, 0.0625f, 0.0f, 0.0f);
    display().bindScreen();
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    show->renderPostChain();

    for (int k = 1; k <= 6; ++k) {
        SCOPED_TRACE("pass " + std::to_string(k));
        const float input = k == 1 ? 0.0625f : (k - 1) / 8.0f;
        // The window holds 8 bits a channel.
        const float tolerance = k == 6 ? 0.5f / 255.0f : 0.0f;
        expectNear(outputPixel(*show, k + 1, 10, 50), {k / 8.0f, input, 0.0f, 1.0f}, tolerance);
    }
}

TEST_F(PostChainGl, UnwrittenPixelsShowGreenAfterTheFirstTwoPassesAndBlackAfterTheDct) {
    writePassShaders([](int, const char*) {
        return std::string("#version 330 core\nout vec4 c;\nvoid main() { discard; }\n");
    });
    auto show = makeShow();
    fillBuffer1(*show, 0.25f, 0.25f, 0.25f);
    for (int buffer = 2; buffer <= 6; ++buffer) {
        show->buffer(buffer).bind();
        glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    show->renderPostChain();

    const Pixel green{0.0f, 1.0f, 0.0f, 1.0f};
    const Pixel black{0.0f, 0.0f, 0.0f, 1.0f};
    const Pixel expected[] = {green, green, black, black, black, black};
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(outputPixel(*show, k + 1, 30, 30), expected[k - 1]) << "pass " << k;
}

TEST_F(PostChainGl, TrackValuesWindowSizeAndRowTimeArriveInTheirUniforms) {
    // Each pass writes its uniforms: the left half one set, the right another;
    // the last pass scales what it writes into the window's 0..1.
    const char* shaders[6] = {
        R"(uniform sampler2D textu; uniform vec2 iResolution; uniform float iGlobalTime;
           uniform vec3 letterbox;
           void main() { c = uv.x < 0.5 ? vec4(letterbox, iGlobalTime)
                                        : vec4(iResolution, texelFetch(textu, ivec2(0), 0).r, 1.0); })",
        R"(uniform sampler2D inputtex; uniform vec2 resolution;
           void main() { c = vec4(resolution, texelFetch(inputtex, ivec2(0), 0).r, 1.0); })",
        R"(uniform sampler2D iChannel0; uniform vec2 iResolution; uniform float iTime;
           void main() { c = vec4(iResolution, iTime, texelFetch(iChannel0, ivec2(0), 0).r); })",
        R"(uniform sampler2D iChannel0; uniform vec2 iResolution; uniform float iTime;
           uniform float Decimate, DCTglitch;
           void main() { c = uv.x < 0.5 ? vec4(Decimate, DCTglitch, iTime, 1.0)
                                        : vec4(iResolution, texelFetch(iChannel0, ivec2(0), 0).r, 1.0); })",
        R"(uniform sampler2D iChannel0; uniform vec2 iResolution; uniform float iTime;
           uniform float DCTglitch;
           void main() { c = uv.x < 0.5 ? vec4(DCTglitch, iTime, 0.0, 1.0)
                                        : vec4(iResolution, texelFetch(iChannel0, ivec2(0), 0).r, 1.0); })",
        R"(uniform sampler2D iChannel0; uniform vec2 iResolution; uniform float iTime;
           void main() { c = vec4(iResolution / 256.0, iTime / 1000.0, 1.0); })",
    };
    writePassShaders([&](int k, const char*) {
        return std::string("#version 330 core\nin vec2 uv;\nout vec4 c;\n") + shaders[k - 1] + "\n";
    });
    setTrackValue("letterbox-r", 0.25f);
    setTrackValue("letterbox-g", 0.5f);
    setTrackValue("letterbox-b", 0.75f);
    setTrackValue("dct-decimate", 0.375f);
    setTrackValue("dct-glitch", 0.625f);

    // Rows come from the music: play a tune silently for a moment.
    Sorva::MusicClock& clock = Sorva::MusicClock::instance();
    clock.open(HALVO_TEST_TUNE, 131.0, std::make_unique<Sorva::SilentAudioOutput>());
    clock.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    auto show = makeShow();
    fillBuffer1(*show, 0.125f, 0.0f, 0.0f);
    const float rowBefore = static_cast<float>(clock.row());
    show->renderPostChain();
    const float rowAfter = static_cast<float>(clock.row());
    // 300 ms of music is about 5 rows; seconds would be 17 times less.
    ASSERT_GT(rowBefore, 3.0f);

    const float w = static_cast<float>(display().width());
    const float h = static_cast<float>(display().height());
    const auto rowTime = [&](float value, const char* what) {
        EXPECT_GE(value, rowBefore) << what;
        EXPECT_LE(value, rowAfter) << what;
    };
    const int left = 10;
    const int right = 50;

    Pixel p = outputPixel(*show, 2, left, 30);
    EXPECT_EQ((std::array<float, 3>{p[0], p[1], p[2]}), (std::array<float, 3>{0.25f, 0.5f, 0.75f}))
        << "letterbox colour";
    rowTime(p[3], "iGlobalTime");
    EXPECT_EQ(outputPixel(*show, 2, right, 30), (Pixel{w, h, 0.125f, 1.0f}));

    // Each right half also reads pixel (0, 0) of its input, the left half before it.
    EXPECT_EQ(outputPixel(*show, 3, right, 30), (Pixel{w, h, 0.25f, 1.0f})) << "FXAA";

    p = outputPixel(*show, 4, right, 30);
    EXPECT_EQ(p[0], w);
    EXPECT_EQ(p[1], h);
    rowTime(p[2], "DCT stage 1 iTime");
    EXPECT_EQ(p[3], w);

    p = outputPixel(*show, 5, left, 30);
    EXPECT_EQ(p[0], 0.375f) << "Decimate";
    EXPECT_EQ(p[1], 0.625f) << "DCTglitch";
    rowTime(p[2], "DCT stage 2 iTime");
    EXPECT_EQ(outputPixel(*show, 5, right, 30), (Pixel{w, h, w, 1.0f})) << "DCT stage 2";

    p = outputPixel(*show, 6, left, 30);
    EXPECT_EQ(p[0], 0.625f) << "DCTglitch";
    rowTime(p[1], "DCT stage 3 iTime");
    EXPECT_EQ(outputPixel(*show, 6, right, 30), (Pixel{w, h, 0.375f, 1.0f})) << "DCT stage 3";

    p = outputPixel(*show, 7, right, 30);
    EXPECT_NEAR(p[0], w / 256.0f, 0.5f / 255.0f);
    EXPECT_NEAR(p[1], h / 256.0f, 0.5f / 255.0f);
    EXPECT_NEAR(p[2] * 1000.0f, 0.5f * (rowBefore + rowAfter),
                0.5f * (rowAfter - rowBefore) + 1000.0f / 255.0f)
        << "DCT stage 4 iTime";
}

// Copies the show's real shaders into the scratch directory.
void copyRealShaders(const fs::path& workDir) {
    Sorva::Test::copyOver(fs::path(HALVO_SOURCE_DIR) / "data/shaders", workDir / "data/shaders");
}

// Every pixel of the bound framebuffer's colour attachment 0.
std::vector<float> readAll(int width, int height) {
    std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

float maxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    float worst = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3)
            worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

float meanDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3)
            sum += std::abs(a[i] - b[i]);
    return static_cast<float>(sum / (a.size() * 3 / 4));
}

// The four DCT stages run over float buffers of a size that cuts partial
// blocks at the right and top edges, on a picture of the second pattern.
class DctGl : public Sorva::Test::GlTestContext {
protected:
    static constexpr int width = 203;
    static constexpr int height = 117;

    std::vector<float> runStages(float decimate, float glitch) {
        std::unique_ptr<ScreenPass> picture;
        std::unique_ptr<ScreenPass> stages[4];
        captureStdout([&] {
            picture = std::make_unique<ScreenPass>("./data/shaders/pattern2.fs", &display());
            const char* files[4] = {"a.fs", "b.fs", "c.fs", "d.fs"};
            for (int i = 0; i < 4; ++i)
                stages[i] = std::make_unique<ScreenPass>(
                    std::string("./data/shaders/dct/") + files[i], &display());
        });
        for (auto& buffer : buffers_) {
            buffer = std::make_unique<Fbo>();
            buffer->setup(width, height, 1, false);
        }
        display().viewport(0, 0, width, height);

        buffers_[0]->bind();
        picture->program()->bind();
        picture->program()->setUniform1f("iTime", 7.25f);
        picture->program()->setUniform2f("iResolution", width, height);
        picture->draw();
        input_ = readAll(width, height);
        // The chain draws to the window, so it gives back pictures in 0..1, as
        // the letterbox pass before it makes them.
        for (float& value : input_)
            value = std::clamp(value, 0.0f, 1.0f);

        for (int i = 0; i < 4; ++i) {
            buffers_[i + 1]->bind();
            display().activeTexture(0);
            buffers_[i]->colorTexture(0)->bind();
            auto* program = stages[i]->program();
            program->bind();
            program->setUniform2f("iResolution", width, height);
            program->setUniform1f("iTime", 40.0f);
            program->setUniform1i("iChannel0", 0);
            program->setUniform1f("Decimate", decimate);
            program->setUniform1f("DCTglitch", glitch);
            stages[i]->draw();
        }
        return readAll(width, height);
    }

    void SetUp() override {
        GlTestContext::SetUp();
        copyRealShaders(workDir());
    }

    std::unique_ptr<Fbo> buffers_[5];
    std::vector<float> input_;
};

TEST_F(DctGl, StagesGiveBackTheirInputWithoutDecimationOrGlitch) {
    const std::vector<float> output = runStages(0.0f, 0.0f);
    ASSERT_GT(meanDifference(input_, std::vector<float>(input_.size(), 0.0f)), 0.05f)
        << "the test picture is not black";
    EXPECT_LT(maxDifference(input_, output), 1.0f / 255.0f);
    // Float arithmetic keeps it far closer than that.
    EXPECT_LT(maxDifference(input_, output), 1e-4f);
}

TEST_F(DctGl, DecimationAndGlitchChangeThePicture) {
    struct Case {
        float decimate;
        float glitch;
    };
    for (const Case c : {Case{1.0f, 0.0f}, Case{0.0f, 1.0f}}) {
        SCOPED_TRACE(testing::Message() << "decimate " << c.decimate << ", glitch " << c.glitch);
        const std::vector<float> output = runStages(c.decimate, c.glitch);
        EXPECT_GT(meanDifference(input_, output), 0.004f);
    }
}

TEST_F(DctGl, GlitchLeavesTheBlockRowsTouchingTheLetterboxBarsAlone) {
    // At 203 x 117 the 2.35:1 picture leaves bars of 15.3 rows: the block
    // rows from 16 to 95 lie wholly inside the picture, the others touch a bar.
    const std::vector<float> output = runStages(0.0f, 1.0f);
    struct Band {
        int from, to;
        bool damaged;
    };
    for (const Band band : {Band{0, 16, false}, Band{16, 96, true}, Band{96, height, false}}) {
        SCOPED_TRACE(testing::Message() << "rows " << band.from << " to " << band.to);
        const auto rows = [&](const std::vector<float>& v) {
            return std::vector<float>(v.begin() + band.from * width * 4, v.begin() + band.to * width * 4);
        };
        if (band.damaged)
            EXPECT_GT(meanDifference(rows(input_), rows(output)), 0.004f);
        else
            EXPECT_LT(maxDifference(rows(input_), rows(output)), 1e-4f);
    }
}

// A hard, aliased edge through the picture: FXAA should bring each pixel near
// the edge closer to the share of it the shape really covers, and leave
// pixels away from edges exactly as they were.
TEST_F(DctGl, FxaaMovesAliasedEdgesTowardsTrueCoverageAndLeavesFlatAreas) {
    struct Edge {
        float slope; // white where y > slope * x + offset
        float offset;
    };
    const Edge edges[] = {{0.2f, 40.0f}, {-0.3f, 90.0f}, {4.0f, -300.0f}, {-6.0f, 900.0f}};
    std::unique_ptr<ScreenPass> shape;
    std::unique_ptr<ScreenPass> fxaa;
    captureStdout([&] {
        writeFile("data/shaders/shape.fs", R"(#version 330 core
uniform vec2 line;
out vec4 c;
void main() {
    float inside = gl_FragCoord.y > line.x * gl_FragCoord.x + line.y ? 1.0 : 0.0;
    c = vec4(vec3(inside), inside);
})");
        shape = std::make_unique<ScreenPass>("./data/shaders/shape.fs", &display());
        fxaa = std::make_unique<ScreenPass>("./data/shaders/fxaa.fs", &display());
    });
    for (auto& buffer : buffers_) {
        buffer = std::make_unique<Fbo>();
        buffer->setup(width, height, 1, false);
    }
    display().viewport(0, 0, width, height);

    for (const Edge& edge : edges) {
        SCOPED_TRACE(testing::Message() << "slope " << edge.slope);
        buffers_[0]->bind();
        shape->program()->bind();
        shape->program()->setUniform2f("line", edge.slope, edge.offset);
        shape->draw();
        const std::vector<float> input = readAll(width, height);

        buffers_[1]->bind();
        display().activeTexture(0);
        buffers_[0]->colorTexture(0)->bind();
        fxaa->program()->bind();
        fxaa->program()->setUniform1i("inputtex", 0);
        fxaa->program()->setUniform2f("resolution", width, height);
        fxaa->draw();
        const std::vector<float> output = readAll(width, height);

        double inputError = 0.0;
        double outputError = 0.0;
        int nearEdge = 0;
        int softened = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                // Signed distance of the pixel centre from the edge, in pixels.
                const float cx = x + 0.5f;
                const float cy = y + 0.5f;
                const float distance = (cy - edge.slope * cx - edge.offset) /
                                       std::sqrt(1.0f + edge.slope * edge.slope);
                const float red = output[(static_cast<std::size_t>(y) * width + x) * 4];
                const float before = input[(static_cast<std::size_t>(y) * width + x) * 4];
                if (std::abs(distance) > 3.0f) {
                    EXPECT_EQ(red, before) << "pixel " << x << ", " << y << " away from the edge";
                    continue;
                }
                const float coverage = std::clamp(0.5f + distance, 0.0f, 1.0f);
                inputError += std::abs(before - coverage);
                outputError += std::abs(red - coverage);
                ++nearEdge;
                softened += red > 0.05f && red < 0.95f;
            }
        ASSERT_GT(nearEdge, 0);
        EXPECT_GT(softened, nearEdge / 6) << "too few edge pixels blended";
        EXPECT_LT(outputError, 0.7 * inputError)
            << "mean error against coverage: before " << inputError / nearEdge << ", after "
            << outputError / nearEdge;
    }
}

TEST_F(PostChainGl, RealChainKeepsAPictureWithinOneStepThroughTheDctAtZero) {
    copyRealShaders(workDir());
    setTrackValue("fusing-weight-1", 0.0f);
    setTrackValue("fusing-weight-4", 1.0f);
    setTrackValue("fx-effu-iGlobalTime", 7.25f);
    auto show = makeShow();

    show->renderFrame();

    const int w = display().width();
    const int h = display().height();
    show->buffer(3).bind();
    const std::vector<float> beforeDct = readAll(w, h);
    display().bindScreen();
    glReadBuffer(GL_BACK);
    const std::vector<float> window = readAll(w, h);
    EXPECT_LE(maxDifference(beforeDct, window), 1.0f / 255.0f + 1e-6f);
}

} // namespace
