// Image loading on a real context: decoded pixels as uploaded, orientation,
// size, and what a missing, broken or oversized file leaves behind.
#include "GlTestContext.h"

#include "gl/Fbo.h"
#include "gl/LoadTexture.h"
#include "gl/ReadFile.h"
#include "gl/ScreenPass.h"
#include "gl/Texture.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using Sorva::Gl::Fbo;
using Sorva::Gl::loadTexture;
using Sorva::Gl::ScreenPass;
using Sorva::Gl::Texture;

namespace {

class TextureGl : public Sorva::Test::GlTestContext {
protected:
    // Colour of the texture on unit 0 as a full-screen pass samples it.
    std::array<float, 4> sampled(Texture& texture) {
        writeFile("data/shaders/sample.fs", R"(#version 330 core
uniform sampler2D image;
in vec2 uv;
out vec4 colour;
void main() { colour = texture(image, uv); }
)");
        ScreenPass pass("./data/shaders/sample.fs", &display());
        Fbo target;
        target.setup(4, 4, 1, false);
        display().viewport(0, 0, 4, 4);
        display().activeTexture(0);
        texture.bind();
        pass.program()->bind();
        pass.program()->setUniform1i("image", 0);
        pass.draw();
        return readPixel(2, 2);
    }
};

GLint integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace

TEST_F(TextureGl, ImagesArriveAsRgbaInFileRowOrder) {
    // 3 x 2 pixels, every channel byte different; the file's first row is y = 0.
    const int width = 3, height = 2;
    const struct {
        int channels;
        const char* name;
    } rows[] = {{1, "grey"}, {2, "grey-alpha"}, {3, "rgb"}, {4, "rgba"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> file(width * height * row.channels);
        for (std::size_t i = 0; i < file.size(); ++i)
            file[i] = static_cast<std::uint8_t>(10 + 9 * i);
        const std::string path = (workDir() / (std::string(row.name) + ".png")).string();
        ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, row.channels, file.data(),
                                   width * row.channels));

        std::vector<std::uint8_t> expected;
        for (int p = 0; p < width * height; ++p) {
            const std::uint8_t* in = &file[p * row.channels];
            switch (row.channels) {
            case 1:
                expected.insert(expected.end(), {in[0], in[0], in[0], 255});
                break;
            case 2:
                expected.insert(expected.end(), {in[0], in[0], in[0], in[1]});
                break;
            case 3:
                expected.insert(expected.end(), {in[0], in[1], in[2], 255});
                break;
            default:
                expected.insert(expected.end(), in, in + 4);
            }
        }

        Texture texture(GL_TEXTURE_2D);
        EXPECT_EQ(texture.width(), -1);
        EXPECT_EQ(texture.height(), -1);
        loadTexture(path, texture);
        EXPECT_EQ(texture.width(), width);
        EXPECT_EQ(texture.height(), height);
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture.id()))
            << "stays bound";

        GLint internalFormat = 0, levelOneWidth = 0, minFilter = 0, magFilter = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        EXPECT_EQ(internalFormat, GL_RGBA);
        EXPECT_EQ(levelOneWidth, 1) << "mipmaps are generated";
        EXPECT_EQ(minFilter, GL_LINEAR);
        EXPECT_EQ(magFilter, GL_LINEAR);

        std::vector<std::uint8_t> texels(width * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels, expected);
    }
}

TEST_F(TextureGl, UnreadableImagesAreReportedAndSampleAsBlack) {
    const std::string png = (workDir() / "good.png").string();
    const std::vector<std::uint8_t> white(4 * 4 * 3, 255);
    ASSERT_TRUE(stbi_write_png(png.c_str(), 4, 4, 3, white.data(), 12));
    const std::string pngBytes = Sorva::Gl::readFile(png);

    writeFile("garbage.png", "this is not a picture at all\n");
    writeFile("empty.png", "");
    writeFile("truncated.png", pngBytes.substr(0, pngBytes.size() / 2));
    // The same file declaring 16384 x 16384 pixels (big-endian, after the
    // 8-byte signature and the IHDR chunk's length and type).
    std::string huge = pngBytes;
    huge.replace(16, 8, std::string("\0\0\x40\0\0\0\x40\0", 8));
    writeFile("huge.png", huge);
    huge.replace(16, 8, std::string("\0\x01\0\0\0\0\0\x04", 8));
    writeFile("thin.png", huge);
    const struct {
        const char* name;
        const char* says;
    } rows[] = {{"missing.png", ""},
                {"garbage.png", ""},
                {"empty.png", ""},
                {"truncated.png", ""},
                {"huge.png", ": 16384 x 16384 pixels, more than "},
                {"thin.png", ": 65536 x 4 pixels, a side longer than "}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = (workDir() / row.name).string();
        Texture texture(GL_TEXTURE_2D);
        ::testing::internal::CaptureStderr();
        loadTexture(path, texture);
        const std::string err = ::testing::internal::GetCapturedStderr();

        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(path), std::string::npos) << err;
        EXPECT_NE(err.find(row.says), std::string::npos) << err;
        EXPECT_TRUE(glIsTexture(texture.id()));
        EXPECT_EQ(texture.width(), -1);
        const auto colour = sampled(texture);
        EXPECT_EQ(colour, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
    }

    // The same pass shows a good image, so black above is the texture's doing.
    Texture good(GL_TEXTURE_2D);
    loadTexture(png, good);
    EXPECT_EQ(sampled(good), (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
}
