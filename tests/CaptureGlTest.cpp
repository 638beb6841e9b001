// The capture tool on a real context: the show's frame routine drawing its
// last pass into the capture framebuffer instead of the window, the stages
// and the start-up work a benchmark observer is told of, and the read-back
// that turns GL's bottom-up rows into top-down frames, in order, through the
// pixel-pack buffers.
#include "GlTestContext.h"
#include "TrackKeys.h"

#include "app/Show.h"
#include "fx/ShowScenes.h"
#include "gl/Fbo.h"
#include "gl/LoadTexture.h"
#include "gl/ShaderContainer.h"
#include "gl/StartupObserver.h"
#include "scene/FrameObserver.h"
#include "sync/SyncDevice.h"
#include "tools/capture/Frame.h"
#include "tools/capture/FrameReader.h"
#include "tools/capture/FrameSink.h"
#include "tools/capture/FrameWriterThread.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Sorva::Frame;
using Sorva::FrameObserver;
using Sorva::FrameReader;
using Sorva::FrameWriterThread;
using Sorva::Show;
using Sorva::Gl::StartupObserver;
using Sorva::Test::setTrackValue;

class KeepingSink : public Sorva::FrameSink {
public:
    void write(const Frame& frame) override { frames.push_back(frame); }
    void finish() override {}
    std::vector<Frame> frames;
};

// Clears the bound framebuffer's top half to one colour and its bottom half
// to another (GL's row 0 is the bottom).
void clearHalves(int width, int height, const float top[3], const float bottom[3]) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height / 2, width, height - height / 2);
    glClearColor(top[0], top[1], top[2], 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, width, height / 2);
    glClearColor(bottom[0], bottom[1], bottom[2], 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<int> rgb(const Frame& frame, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * frame.width + x) * Frame::channels;
    return {frame.pixels[at], frame.pixels[at + 1], frame.pixels[at + 2]};
}

using CaptureGl = Sorva::Test::GlTestContext;

TEST_F(CaptureGl, ReadBackGivesTopRowFirstFramesInOrder) {
    constexpr int width = 30, height = 20;
    FrameReader reader(width, height);
    KeepingSink sink;
    {
        FrameWriterThread writer(sink, width, height);
        const float bottom[3] = {0.0f, 0.0f, 1.0f};
        for (int n = 0; n < 4; ++n) {
            const float top[3] = {n / 4.0f, 1.0f, 0.0f};
            reader.target().bind();
            clearHalves(width, height, top, bottom);
            reader.read(100 + n, n / 60.0, n * 0.25, writer);
        }
        reader.flush(writer);
        writer.finish();
    }
    ASSERT_EQ(sink.frames.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE("frame " + std::to_string(n));
        const Frame& frame = sink.frames[n];
        EXPECT_EQ(frame.number, 100 + n);
        EXPECT_EQ(frame.seconds, n / 60.0);
        EXPECT_EQ(frame.row, n * 0.25);
        EXPECT_EQ(frame.width, width);
        EXPECT_EQ(frame.height, height);
        const int red = n * 255 / 4 + (n == 1 || n == 3 ? 1 : 0); // rounded
        EXPECT_NEAR(rgb(frame, 0, 0)[0], red, 1);
        EXPECT_EQ(rgb(frame, width - 1, 0)[1], 255);
        EXPECT_EQ(rgb(frame, 0, height / 2 - 1)[1], 255);
        EXPECT_EQ(rgb(frame, 0, height / 2), (std::vector<int>{0, 0, 255}));
        EXPECT_EQ(rgb(frame, width - 1, height - 1), (std::vector<int>{0, 0, 255}));
    }
}

// Writes each stage the show tells it of, in order.
class StageLog : public FrameObserver {
public:
    void begin(Stage stage, std::size_t slot) override { log += '+' + name(stage, slot); }
    void end(Stage stage, std::size_t slot) override { log += '-' + name(stage, slot); }
    std::string log;

private:
    static std::string name(Stage stage, std::size_t slot) {
        switch (stage) {
        case Stage::Scene:
            return std::string("scene") + std::to_string(slot) + ' ';
        case Stage::Combiner:
            return "combiner ";
        case Stage::PostChain:
            return "post ";
        case Stage::Solo:
            return "solo ";
        case Stage::Step:
            return "step ";
        }
        return "?";
    }
};

TEST_F(CaptureGl, TheLastPassDrawsIntoTheGivenTargetAndTheObserverSeesEachStage) {
    const std::string passThrough = "#version 330 core\nin vec2 uv;\nuniform sampler2D %s;\n"
                                    "out vec4 c;\nvoid main() { c = texture(%s, uv); }\n";
    auto pass = [&](const char* sampler) {
        std::string text = passThrough;
        for (std::size_t at; (at = text.find("%s")) != std::string::npos;)
            text.replace(at, 2, sampler);
        return text;
    };
    writeFile("data/shaders/trivial.fs", pass("textu"));
    writeFile("data/shaders/fxaa.fs", pass("inputtex"));
    for (const char* stage : {"a", "b", "c", "d"})
        writeFile(std::string("data/shaders/dct/") + stage + ".fs", pass("iChannel0"));
    writeFile("data/shaders/skenekombiner.fs",
              "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(0.25, 0.5, 0.75, 1.0); }\n");
    const char* empty = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(0.0); }\n";
    writeFile("data/shaders/pattern.fs", empty);
    writeFile("data/shaders/pattern2.fs", empty);
    for (int slot = 0; slot < 5; ++slot)
        setTrackValue("fusing-weight-" + std::to_string(slot),
                      slot == 1 || slot == 4 ? 1.0f : 0.0f);

    std::unique_ptr<Show> show;
    captureStdout([&] { show = std::make_unique<Show>(display()); });
    FrameReader reader(display().width(), display().height());
    StageLog stages;
    show->setObserver(&stages);

    display().bindScreen();
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    reader.target().bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    show->renderFrame(&reader.target());

    EXPECT_EQ(stages.log, "+scene1 -scene1 +scene4 -scene4 +combiner -combiner +post -post ");
    reader.target().bind();
    const auto captured = readPixel(5, 5);
    EXPECT_NEAR(captured[0], 0.25f, 1.0f / 255);
    EXPECT_NEAR(captured[1], 0.5f, 1.0f / 255);
    EXPECT_NEAR(captured[2], 0.75f, 1.0f / 255);
    display().bindScreen();
    glReadBuffer(GL_BACK);
    const auto window = readPixel(5, 5);
    EXPECT_EQ(window[0], 1.0f);
    EXPECT_EQ(window[1], 0.0f);
    EXPECT_EQ(window[2], 1.0f);

    // Unobserved, and without a target, the picture goes to the window.
    show->setObserver(nullptr);
    show->renderFrame();
    EXPECT_EQ(stages.log, "+scene1 -scene1 +scene4 -scene4 +combiner -combiner +post -post ");
    display().bindScreen();
    glReadBuffer(GL_BACK);
    EXPECT_NEAR(readPixel(5, 5)[2], 0.75f, 1.0f / 255);

    // One effect alone takes the place of the scenes and the combiner.
    std::unique_ptr<Sorva::EFx> solo;
    captureStdout([&] { solo = Sorva::makeEffect("pattern", display(), display()); });
    ASSERT_TRUE(solo);
    EXPECT_FALSE(Sorva::makeEffect("no such effect", display(), display()));
    show->setSolo(std::move(solo));
    stages.log.clear();
    show->setObserver(&stages);
    show->renderFrame(&reader.target());
    EXPECT_EQ(stages.log, "+solo -solo +post -post ");
    reader.target().bind();
    EXPECT_EQ(readPixel(5, 5)[2], 0.0f) << "the pattern's picture, not the combiner's";
}

// Lists the start-up work it is told of.
class WorkLog : public StartupObserver {
public:
    void spent(Work work, Clock::duration time) override {
        EXPECT_GE(time.count(), 0);
        works.push_back(work);
    }
    std::vector<Work> works;
};

TEST_F(CaptureGl, InstalledStartupObserverIsToldOfEachPieceOfGlWork) {
    using Work = StartupObserver::Work;
    writeFile("red.ppm", std::string("P6\n1 1\n255\n\xff\x00\x00", 14));
    writeFile("red.fs", "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    const struct {
        const char* what;
        std::function<void()> work;
        std::vector<Work> told;
    } rows[] = {
        {"an image",
         [] {
             Sorva::Gl::Texture texture(GL_TEXTURE_2D);
             Sorva::Gl::loadTexture("red.ppm", texture);
         },
         {Work::ImageDecoding}},
        {"two stages and a link",
         [] {
             Sorva::Gl::ShaderContainer shaders;
             shaders.addShader(GL_VERTEX_SHADER, "data/shaders/trivial.vs");
             shaders.addShader(GL_FRAGMENT_SHADER, "red.fs");
             shaders.link();
         },
         {Work::ShaderBuilding, Work::ShaderBuilding, Work::ShaderBuilding}},
        {"a framebuffer", [] { Sorva::Gl::Fbo().setup(4, 4, 2, true); }, {Work::FramebufferSetup}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WorkLog log;
        StartupObserver::install(&log);
        captureStdout(row.work);
        StartupObserver::install(nullptr);
        EXPECT_EQ(log.works, row.told);

        // Removed, it hears nothing more.
        captureStdout(row.work);
        EXPECT_EQ(log.works, row.told);
    }
}

TEST_F(CaptureGl, EveryTrackTheShowAsksForHasItsFileInTheShow) {
    std::unique_ptr<Show> show;
    ::testing::internal::CaptureStderr(); // this scratch directory has no shaders
    captureStdout([&] { show = std::make_unique<Show>(display()); });
    ::testing::internal::GetCapturedStderr();
    const Sorva::SyncDevice& device = Sorva::SyncDevice::instance();
    ASSERT_GT(device.trackCount(), 90u);
    for (std::size_t i = 0; i < device.trackCount(); ++i) {
        const std::string& name = device.track(i).name;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(HALVO_SHOW_DIR) /
                                            device.trackPath(name)))
            << "no track file for \"" << name << "\"";
    }
}

} // namespace
