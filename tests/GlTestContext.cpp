// Hidden-window GL context and scratch directory for the GL tests.
#include "GlTestContext.h"

#include "tests/ScratchDir.h"

#include <fstream>
#include <memory>

namespace Sorva::Test {

namespace {

struct SharedContext {
    std::unique_ptr<DisplayContext> display;
    std::string failure;
};

SharedContext& sharedContext() {
    static SharedContext shared = [] {
        SharedContext made;
        try {
            // Hidden, as the capture tool's; nothing here presents a frame.
            made.display =
                std::make_unique<DisplayContext>(64, 64, DisplayContext::Offline{1.0 / 60});
        } catch (const std::exception& e) {
            made.failure = e.what();
        }
        return made;
    }();
    return shared;
}

} // namespace

void GlTestContext::SetUp() {
    SharedContext& shared = sharedContext();
    ASSERT_TRUE(shared.display) << "no OpenGL 3.3 core context: " << shared.failure;
    display_ = shared.display.get();

    namespace fs = std::filesystem;
    previousDir_ = fs::current_path();
    workDir_ = makeScratchDir("halvo-gl");
    fs::create_directories(workDir_ / "data/shaders");
    fs::copy_file(fs::path(HALVO_SOURCE_DIR) / "data/shaders/trivial.vs",
                  workDir_ / "data/shaders/trivial.vs");
    fs::current_path(workDir_);

    display_->bindScreen();
    glUseProgram(0);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_DEPTH_TEST);
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GlTestContext::TearDown() {
    namespace fs = std::filesystem;
    if (!previousDir_.empty())
        fs::current_path(previousDir_);
    if (!workDir_.empty())
        fs::remove_all(workDir_);
}

void GlTestContext::writeFile(const std::string& relativePath, const std::string& text) {
    const std::filesystem::path path = workDir_ / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::array<float, 4> GlTestContext::readPixel(int x, int y) {
    std::array<float, 4> rgba{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, rgba.data());
    return rgba;
}

} // namespace Sorva::Test
