// The show report against the real particle ball: its view of the ball's
// camera and emitters keeps step with the ball through a shaking camera and
// a jittered respawn, and the cloud the show's shaders draw matches its
// sprite as laid out, far better than the sprite mirrored.
#include "GlTestContext.h"
#include "HandMovedMusic.h"
#include "TrackKeys.h"

#include "fx/PBall.h"
#include "gl/Fbo.h"
#include "gl/Surface.h"
#include "tools/capture/BallView.h"
#include "tools/capture/FrameRegions.h"
#include "tools/capture/SilhouetteMatch.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

namespace Sorva {
namespace {

class FixedInput : public FrameInput {
public:
    double deltaTime() const override { return 0.25; }
    bool keyDown(int) const override { return false; }
};

class ShowReportGl : public Sorva::Test::GlTestContext {};

TEST_F(ShowReportGl, TheBallsCloudMatchesItsSpriteThroughTheReportsView) {
    namespace fs = std::filesystem;
    for (const char* file : {"pballsimu.fs", "pball.vs", "pball.fs", "ao.fs", "combine.fs"})
        fs::copy_file(fs::path(HALVO_SOURCE_DIR) / "data/shaders" / file,
                      fs::path("data/shaders") / file);
    for (const char* pass : {"a", "b", "image"})
        writeFile(std::string("data/shaders/hands/") + pass + ".fs",
                  "#version 330 core\nlayout(location = 0) out vec4 c;\n"
                  "layout(location = 1) out vec4 d;\nvoid main() { c = d = vec4(0.0); }");

    // Image 26, "stop.png": two blocks at opposite corners, which read
    // differently mirrored.
    constexpr int side = 32;
    SpriteAlpha sprite{side, side, std::vector<std::uint8_t>(side * side)};
    std::vector<unsigned char> rgba(side * side * 4, 255);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            sprite.alpha[y * side + x] = rgba[4 * (y * side + x) + 3] =
                (x < 14 && y < 12) || (x >= 18 && y >= 16) ? 255 : 0;
    fs::create_directories("data/img");
    ASSERT_TRUE(stbi_write_png("data/img/stop.png", side, side, 4, rgba.data(), side * 4));

    // The camera 4 units before the emitter and shaking; a jittered respawn.
    const std::pair<const char*, float> tracks[] = {
        {"pball-cam-pos-z", -4.0f},       {"pball-cam-fov", 60.0f},
        {"pball-cam-near-z", 0.1f},       {"pball-cam-far-z", 100.0f},
        {"pball-cam-shake-freq", 25.0f},  {"pball-cam-yaw-shake", 12.0f},
        {"pball-cam-pitch-shake", 8.0f},  {"sprite-sample-radius", 0.3f},
        {"emit-sprite-0-texture-id", 26}, {"emit-sprite-0-cumprob", 1.0f},
        {"emit-sprite-0-scale-x", 2.0f},  {"emit-sprite-0-scale-y", 2.0f},
        {"emit-sprite-0-scale-z", 2.0f},  {"particle-ball-lifetime", 100.0f},
        {"fov-diameter", 0.02f},          {"fov-focus", 4.0f},
    };
    for (const auto& [name, value] : tracks)
        Sorva::Test::setTrackValue(name, value);
    Sorva::Test::moveMusicToRow(Sorva::Test::handMovedMusic(HALVO_TEST_TUNE), 37.5);

    // As wide as the letterbox's picture, so the whole frame is picture.
    Gl::Surface surface(235, 100);
    FixedInput input;
    std::unique_ptr<PBall> ball;
    ::testing::internal::CaptureStderr(); // the other sprites are not there
    captureStdout([&] { ball = std::make_unique<PBall>(surface, input); });
    ::testing::internal::GetCapturedStderr();
    BallView view(surface);
    Gl::Fbo target;
    target.setup(surface.width(), surface.height(), 1, true);
    const FxParams params = makeFxParams("effu");
    for (int call = 0; call < 3; ++call) {
        ball->render(target, params);
        view.advance();
    }
    const std::array<BallView::Emitter, 3> seen = view.emitters();
    for (const auto& [name, value] : tracks)
        Sorva::Test::setTrackKeys(name, {});

    EXPECT_EQ(seen[0].image, 26u);
    EXPECT_EQ(seen[0].share, 1.0);
    EXPECT_EQ(seen[0].placement.pos, ball->emitters()[0].pos);
    EXPECT_NE(seen[0].placement.pos, (std::array<float, 3>{0, 0, 0})) << "no jitter";
    EXPECT_EQ(seen[0].placement.scale, ball->emitters()[0].scale);
    EXPECT_EQ(seen[1].share, 0.0);

    // The frame as the capture tool reads it: RGB, top row first.
    const int w = surface.width(), h = surface.height();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
    target.bind();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3,
                         rgb.begin() + (h - 1 - y) * w * 3);
    const FrameRegions regions(w, h);
    ASSERT_FALSE(regions.hasBars());

    SpriteAlpha mirrored = sprite;
    for (int y = 0; y < side; ++y)
        std::reverse(mirrored.alpha.begin() + y * side, mirrored.alpha.begin() + (y + 1) * side);
    const auto asLaid = SilhouetteMatch::match(regions, rgb.data(), sprite, seen[0].placement);
    const auto asMirrored =
        SilhouetteMatch::match(regions, rgb.data(), mirrored, seen[0].placement);
    ASSERT_TRUE(asLaid && asMirrored);
    EXPECT_GT(*asLaid, 0.6);
    EXPECT_LT(*asMirrored, *asLaid - 0.3);
}

} // namespace
} // namespace Sorva
