// Framebuffers on a real context: attachment formats, draw buffers,
// re-attachment and float render targets, checked by querying GL.
#include "GlTestContext.h"

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"

#include <memory>
#include <vector>

using Sorva::Gl::Fbo;
using Sorva::Gl::ScreenPass;
using Sorva::Gl::Texture;

namespace {

class FboGl : public Sorva::Test::GlTestContext {};

GLint attachmentParam(GLenum attachment, GLenum param) {
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, param, &value);
    return value;
}

GLint texLevelParam(GLenum param) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, param, &value);
    return value;
}

GLint texParam(GLenum param) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, param, &value);
    return value;
}

std::vector<GLint> drawBuffers() {
    std::vector<GLint> buffers(4);
    for (GLenum i = 0; i < 4; ++i)
        glGetIntegerv(GL_DRAW_BUFFER0 + i, &buffers[i]);
    return buffers;
}

} // namespace

TEST_F(FboGl, SetupCreatesFloatColourAndDepthTextures) {
    Fbo fbo;
    fbo.setup(32, 16, 2, true);

    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), fbo.id()) << "setup leaves the framebuffer bound";
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));

    struct Row {
        GLenum attachment;
        GLint internalFormat;
        GLint filter;
    };
    const Row rows[] = {
        {GL_COLOR_ATTACHMENT0, GL_RGBA32F, GL_LINEAR},
        {GL_COLOR_ATTACHMENT1, GL_RGBA32F, GL_LINEAR},
        {GL_DEPTH_ATTACHMENT, GL_DEPTH_COMPONENT24, GL_NEAREST},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "attachment 0x" << std::hex << row.attachment);
        ASSERT_EQ(attachmentParam(row.attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                  GL_TEXTURE);
        const GLint name = attachmentParam(row.attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME);
        glBindTexture(GL_TEXTURE_2D, name);
        EXPECT_EQ(texLevelParam(GL_TEXTURE_INTERNAL_FORMAT), row.internalFormat);
        EXPECT_EQ(texLevelParam(GL_TEXTURE_WIDTH), 32);
        EXPECT_EQ(texLevelParam(GL_TEXTURE_HEIGHT), 16);
        EXPECT_EQ(texParam(GL_TEXTURE_MAG_FILTER), row.filter);
        EXPECT_EQ(texParam(GL_TEXTURE_MIN_FILTER), row.filter);
        EXPECT_EQ(texParam(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(texParam(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
        if (row.attachment != GL_DEPTH_ATTACHMENT) {
            const Texture* texture = fbo.colorTexture(row.attachment - GL_COLOR_ATTACHMENT0);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(texture->id(), static_cast<GLuint>(name));
            EXPECT_EQ(texture->width(), 32);
            EXPECT_EQ(texture->height(), 16);
        }
    }
    EXPECT_EQ(attachmentParam(GL_COLOR_ATTACHMENT2, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
              GL_NONE);
    EXPECT_EQ(fbo.colorTexture(2), nullptr);
    EXPECT_EQ(fbo.colorTexture(7), nullptr);
}

TEST_F(FboGl, DrawBuffersListEveryColourAttachmentInOrder) {
    const struct {
        unsigned colours;
        std::vector<GLint> expected;
    } rows[] = {
        {0, {GL_NONE, GL_NONE, GL_NONE, GL_NONE}},
        {1, {GL_COLOR_ATTACHMENT0, GL_NONE, GL_NONE, GL_NONE}},
        {3, {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2, GL_NONE}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.colours << " colour attachments");
        Fbo fbo;
        fbo.setup(8, 8, row.colours, true);
        EXPECT_EQ(drawBuffers(), row.expected);
        EXPECT_EQ(attachmentParam(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                  GL_TEXTURE);
    }
}

TEST_F(FboGl, ReattachingDeletesTheOldTexture) {
    Fbo fbo;
    fbo.setup(8, 8, 1, false);
    const GLuint old = fbo.colorTexture(0)->id();

    auto replacement = std::make_unique<Texture>(GL_TEXTURE_2D);
    replacement->bind();
    replacement->texImage2D(0, GL_RGBA32F, 4, 4, 0, GL_RGBA, GL_FLOAT, nullptr);
    const GLuint fresh = replacement->id();
    fbo.attachTexture(GL_COLOR_ATTACHMENT0, std::move(replacement));

    EXPECT_FALSE(glIsTexture(old));
    EXPECT_EQ(fbo.colorTexture(0)->id(), fresh);
    EXPECT_EQ(attachmentParam(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
              static_cast<GLint>(fresh));
}

TEST_F(FboGl, SecondSetupReplacesItsOwnAttachmentsAndKeepsTheOthers) {
    Fbo fbo;
    fbo.setup(8, 8, 3, true);
    const GLuint first[3] = {fbo.colorTexture(0)->id(), fbo.colorTexture(1)->id(),
                             fbo.colorTexture(2)->id()};
    const GLint oldDepth =
        attachmentParam(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME);

    fbo.setup(16, 16, 1, true);
    EXPECT_NE(fbo.colorTexture(0)->id(), first[0]);
    EXPECT_EQ(fbo.colorTexture(0)->width(), 16);
    EXPECT_FALSE(glIsTexture(first[0]));
    EXPECT_FALSE(glIsTexture(oldDepth));
    EXPECT_EQ(fbo.colorTexture(1)->id(), first[1]);
    EXPECT_EQ(fbo.colorTexture(2)->id(), first[2]);
    EXPECT_EQ(fbo.colorTexture(2)->width(), 8);
    EXPECT_EQ(drawBuffers(), (std::vector<GLint>{GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,
                                                 GL_COLOR_ATTACHMENT2, GL_NONE}));
}

TEST_F(FboGl, DestructionDeletesTheFramebufferAndItsTextures) {
    GLuint framebuffer = 0;
    GLuint textures[2] = {};
    GLint depth = 0;
    {
        Fbo fbo;
        fbo.setup(8, 8, 2, true);
        framebuffer = fbo.id();
        textures[0] = fbo.colorTexture(0)->id();
        textures[1] = fbo.colorTexture(1)->id();
        depth = attachmentParam(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME);
        display().bindScreen();
    }
    EXPECT_FALSE(glIsFramebuffer(framebuffer));
    EXPECT_FALSE(glIsTexture(textures[0]));
    EXPECT_FALSE(glIsTexture(textures[1]));
    EXPECT_FALSE(glIsTexture(depth));
}

TEST_F(FboGl, FullScreenDrawWritesExactFloatsToEveryTarget) {
    writeFile("data/shaders/mrt.fs", R"(#version 330 core
uniform vec4 a;
uniform vec4 b;
uniform vec4 c;
layout(location = 0) out vec4 out0;
layout(location = 1) out vec4 out1;
layout(location = 2) out vec4 out2;
void main() { out0 = a; out1 = b; out2 = c; }
)");
    const float values[3][4] = {
        {0.1f, -1.5f, 3.14159274f, 1.0e-7f},
        {123456.789f, -0.0f, 65504.5f, 1.0e30f},
        {-2.0e-20f, 0.333333343f, 42.0f, -7.25f},
    };
    ScreenPass pass("./data/shaders/mrt.fs", &display());
    Fbo fbo;
    fbo.setup(16, 8, 3, true);
    display().viewport(0, 0, 16, 8);
    pass.program()->bind();
    pass.program()->setUniform4fv("a", 1, values[0]);
    pass.program()->setUniform4fv("b", 1, values[1]);
    pass.program()->setUniform4fv("c", 1, values[2]);
    pass.draw();

    for (GLenum target = 0; target < 3; ++target) {
        glReadBuffer(GL_COLOR_ATTACHMENT0 + target);
        for (const auto& [x, y] : {std::pair{0, 0}, {15, 0}, {0, 7}, {15, 7}, {8, 4}}) {
            SCOPED_TRACE(testing::Message() << "target " << target << " at " << x << "," << y);
            const auto pixel = readPixel(x, y);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(pixel[i], values[target][i]);
        }
    }
}
