// Images and passes on a real context: a FIFO image is refused at once and
// leaves a texture without storage (black); a missing shader folder is one
// line on stderr for every pass it breaks, with no compile or link line
// after it and stdout as always. Registered with a timeout.
#include "GlTestContext.h"

#include "gl/LoadTexture.h"
#include "gl/ReloadRegistry.h"
#include "gl/ScreenPass.h"

#include <sys/stat.h>

class FileErrorGl : public Sorva::Test::GlTestContext {};

TEST_F(FileErrorGl, FifoImageAndMissingShaderFolderAreOneLineEach) {
    std::filesystem::create_directories("data/img");
    ASSERT_EQ(mkfifo("data/img/fifo.png", 0600), 0);
    Sorva::Gl::Texture texture(GL_TEXTURE_2D);
    testing::internal::CaptureStderr();
    Sorva::Gl::loadTexture("data/img/fifo.png", texture);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Cannot load image data/img/fifo.png: a FIFO, not a regular file\n");
    EXPECT_EQ(texture.width(), -1) << "no storage: it samples as black";

    std::filesystem::remove_all("data/shaders");
    std::size_t failed = 0;
    testing::internal::CaptureStderr();
    const std::string out = captureStdout([&] {
        Sorva::Gl::ScreenPass a("./data/shaders/a.fs", &display());
        Sorva::Gl::ScreenPass b("./data/shaders/dct/b.fs", &display());
        failed = Sorva::ReloadRegistry::instance().failedCount();
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Cannot read shaders: ./data/shaders is missing\n");
    EXPECT_EQ(failed, 2u);
    EXPECT_EQ(out.find("Cannot"), std::string::npos) << "stdout holds only GL output";
}
