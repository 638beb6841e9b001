// Full-screen passes and live reload on a real context: what a pass draws,
// and how a broken shader file is recovered without a restart.
#include "GlTestContext.h"

#include "gl/Fbo.h"
#include "gl/ReloadRegistry.h"
#include "gl/ScreenPass.h"
#include "gl/ShaderContainer.h"

#include <cmath>
#include <regex>

using Sorva::ReloadRegistry;
using Sorva::Gl::Fbo;
using Sorva::Gl::ScreenPass;
using Sorva::Gl::ShaderContainer;

namespace {

class ReloadGl : public Sorva::Test::GlTestContext {};

const char* tintShader = R"(#version 330 core
uniform vec3 tint;
out vec4 colour;
void main() { colour = vec4(tint, 1.0); }
)";

int count(const std::string& text, const std::string& word) {
    int n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

std::string reloadAll() {
    return Sorva::Test::GlTestContext::captureStdout(
        [] { ReloadRegistry::instance().reloadAll(); });
}

} // namespace

TEST_F(ReloadGl, PassCoversTheViewportWithTextureCoordinates) {
    writeFile("data/shaders/uv.fs", R"(#version 330 core
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(uv, 0.0, 1.0); }
)");
    ScreenPass pass("./data/shaders/uv.fs", &display());
    Fbo target;
    target.setup(8, 4, 1, false);
    glClearColor(-1.0f, -1.0f, -1.0f, -1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The pass keeps the caller's viewport: only the lower-left 4 x 2 is drawn.
    display().viewport(0, 0, 4, 2);
    pass.draw();

    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            const auto pixel = readPixel(x, y);
            if (x < 4 && y < 2) {
                EXPECT_NEAR(pixel[0], (x + 0.5f) / 4.0f, 1e-5);
                EXPECT_NEAR(pixel[1], (y + 0.5f) / 2.0f, 1e-5);
                EXPECT_EQ(pixel[3], 1.0f);
            } else {
                EXPECT_EQ(pixel, (std::array<float, 4>{-1.0f, -1.0f, -1.0f, -1.0f}));
            }
        }
}

TEST_F(ReloadGl, BrokenOrMissingFragmentFileRecoversAfterReload) {
    const struct {
        const char* what;
        bool missing;
        const char* text;
        const char* error; // the one line on stderr; the driver's logs go to stdout
    } rows[] = {
        {"missing file", true, "",
         "Cannot read shader \\./data/shaders/live\\.fs: No such file or directory\n"},
        {"syntax error", false, "#version 330 core\nout vec4 colour;\nvoid main() { colour = }\n",
         "Cannot compile shader \\./data/shaders/live\\.fs, line 3: [^\n]+\n"},
        {"link error", false,
         "#version 330 core\nout vec4 colour;\nvoid notMain() { colour = vec4(1.0); }\n",
         "Cannot link shaders \\./data/shaders/live\\.fs and \\./data/shaders/trivial\\.vs: "
         "[^\n]*main[^\n]*\n"},
    };
    Fbo target;
    target.setup(4, 4, 1, false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = "./data/shaders/live.fs";
        std::filesystem::remove(workDir() / path);
        if (!row.missing)
            writeFile(path, row.text);

        // The broken pass constructs and prints its logs; nothing is thrown.
        GLint linked = GL_TRUE;
        std::size_t failed = 0;
        ::testing::internal::CaptureStderr();
        const std::string built = captureStdout([&] {
            ScreenPass broken(path, &display());
            glGetProgramiv(broken.program()->id(), GL_LINK_STATUS, &linked);
            failed = ReloadRegistry::instance().failedCount();
        });
        const std::string error = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_match(error, std::regex(row.error))) << error;
        EXPECT_EQ(linked, GL_FALSE);
        EXPECT_EQ(failed, 1u);
        EXPECT_EQ(count(built, "Compiled\n"), 2);
        EXPECT_EQ(count(built, "Linked\n"), 1);
        EXPECT_EQ(built.find("Cannot"), std::string::npos) << "stdout holds only the GL output";

        ScreenPass pass(path, &display());
        const GLuint program = pass.program()->id();
        writeFile(path, tintShader);
        const std::string out = reloadAll();
        EXPECT_EQ(ReloadRegistry::instance().failedCount(), 0u);
        EXPECT_EQ(out.find("Got source:" + std::string(tintShader)), 0u)
            << "the fragment stage is rebuilt first";
        EXPECT_EQ(count(out, "Linked\n"), 1);

        target.bind();
        display().viewport(0, 0, 4, 4);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        pass.program()->bind();
        pass.program()->setUniform3f("tint", 0.25f, 0.5f, 0.75f);
        pass.draw();
        EXPECT_EQ(pass.program()->id(), program);
        EXPECT_EQ(readPixel(2, 2), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
    }
}

TEST_F(ReloadGl, WorkingPassBrokenByAnEditDrawsNothingUntilFixed) {
    const std::string path = "./data/shaders/live.fs";
    writeFile(path, tintShader);
    ScreenPass pass(path, &display());
    Fbo target;
    target.setup(4, 4, 1, false);
    display().viewport(0, 0, 4, 4);
    const auto drawTint = [&] {
        glUseProgram(0);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        pass.program()->bind();
        pass.program()->setUniform3f("tint", 1.0f, 0.5f, 0.25f);
        pass.draw();
        return readPixel(1, 1);
    };
    const std::array<float, 4> tinted{1.0f, 0.5f, 0.25f, 1.0f};
    EXPECT_EQ(drawTint(), tinted);

    writeFile(path, "#version 330 core\nvoid main() { nope(); }\n");
    const std::string broken = reloadAll();
    EXPECT_EQ(count(broken, "Compiled\n"), 2);
    EXPECT_NE(drawTint(), tinted) << "the broken pass must not draw the old picture";

    writeFile(path, tintShader);
    reloadAll();
    EXPECT_EQ(drawTint(), tinted);
}

TEST_F(ReloadGl, RegistryReloadsEachContainerOnceWhileItLives) {
    writeFile("data/shaders/a.fs", tintShader);
    {
        ShaderContainer container;
        container.addShader(GL_FRAGMENT_SHADER, "./data/shaders/a.fs");
        container.link();
        ReloadRegistry::instance().add(&container);
        ReloadRegistry::instance().add(&container);
        std::string out = reloadAll();
        EXPECT_EQ(count(out, "Linked\n"), 1);
        EXPECT_EQ(count(out, "Got source:"), 1);

        // Every pass registers itself.
        ScreenPass pass("./data/shaders/a.fs", &display());
        out = reloadAll();
        EXPECT_EQ(count(out, "Linked\n"), 2);
        EXPECT_EQ(count(out, "Got source:"), 3);
    }
    // Destroyed containers have left the registry.
    EXPECT_EQ(reloadAll(), "");
}
