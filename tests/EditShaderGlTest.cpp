// Shaders saved during a run, on a real context: only the programs made from
// the saved file are rebuilt, and a broken save leaves the last good program
// drawing, its errors told against the file's own lines.
#include "GlTestContext.h"

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "tools/edit/ShaderWatch.h"

#include <optional>
#include <string>

using Sorva::ShaderWatch;
using Sorva::Gl::Fbo;
using Sorva::Gl::ScreenPass;

namespace {

class EditShaderGl : public Sorva::Test::GlTestContext {
protected:
    std::string colourShader(const char* rgb) {
        return std::string("#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(") +
               rgb + ", 1.0); }\n";
    }
    // The colour the pass draws into a 2 x 2 target.
    std::array<float, 4> drawn(ScreenPass& pass) {
        target_->bind();
        display().viewport(0, 0, 2, 2);
        glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        pass.draw();
        return readPixel(1, 1);
    }
    int count(const std::string& text, const std::string& word) {
        int n = 0;
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            ++n;
        return n;
    }

    // Made once the test's context exists.
    std::optional<Fbo> target_;
};

TEST_F(EditShaderGl, ASavedShaderRebuildsItsProgramsOnlyAndABrokenOneKeepsTheLastGood) {
    target_.emplace();
    target_->setup(2, 2, 1, false);
    writeFile("data/shaders/a.fs", colourShader("1.0, 0.0, 0.0"));
    writeFile("data/shaders/sub/b.fs", colourShader("0.0, 1.0, 0.0"));
    ScreenPass a("./data/shaders/a.fs", &display());
    ScreenPass b("./data/shaders/sub/b.fs", &display());
    ShaderWatch watch("data/shaders");

    // Saved in a folder below: b's program alone is rebuilt, once.
    writeFile("data/shaders/sub/b.fs", colourShader("0.0, 0.0, 1.0"));
    const std::string rebuilt = captureStdout([&] { EXPECT_TRUE(watch.poll()); });
    EXPECT_EQ(count(rebuilt, "Got source:"), 2) << "b.fs and trivial.vs, not a.fs";
    EXPECT_EQ(drawn(b), (std::array<float, 4>{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(drawn(a), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));

    // A broken save: the driver's log against a.fs's line 3; the last good
    // program still draws.
    writeFile("data/shaders/a.fs",
              "#version 330 core\nout vec4 colour;\nvoid main() { colour = nothing; }\n");
    testing::internal::CaptureStderr();
    captureStdout([&] { watch.poll(); });
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("./data/shaders/a.fs:3: ", 0), 0u) << told;
    EXPECT_EQ(watch.problem().rfind("./data/shaders/a.fs:3: ", 0), 0u) << watch.problem();
    EXPECT_EQ(drawn(a), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));

    // A link error keeps it too; then a good save takes over and clears the problem.
    writeFile("data/shaders/a.fs", "#version 330 core\nvoid notMain() {}\n");
    testing::internal::CaptureStderr();
    captureStdout([&] { watch.poll(); });
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot link shaders"),
              std::string::npos);
    EXPECT_EQ(drawn(a), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));
    writeFile("data/shaders/a.fs", colourShader("1.0, 1.0, 0.0"));
    captureStdout([&] { watch.poll(); });
    EXPECT_EQ(drawn(a), (std::array<float, 4>{1.0f, 1.0f, 0.0f, 1.0f}));
    EXPECT_EQ(watch.problem(), "");
}

} // namespace
