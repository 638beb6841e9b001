// Owning wrapper of one GL framebuffer and the textures attached to it.
#pragma once

#include "gl/Object.h"
#include "gl/Texture.h"

#include <map>
#include <memory>

namespace Sorva::Gl {

class Fbo : public Object {
public:
    // Generates the framebuffer name; binds and attaches nothing.
    Fbo();
    // Deletes the framebuffer, then its attached textures.
    virtual ~Fbo();

    void bind() override;
    GLuint id() const override { return name_; }

    // Binds this framebuffer and attaches colourCount RGBA32F textures (and a
    // 24-bit depth texture when withDepth) of the given size, then sets the
    // draw buffers. Leaves the framebuffer bound. Always returns true.
    bool setup(int width, int height, unsigned colorCount, bool withDepth);
    // Attaches level 0 of the texture to the bound framebuffer at the given
    // point and takes ownership; a texture already there is destroyed.
    void attachTexture(GLenum attachment, std::unique_ptr<Texture> texture);
    // Every colour attachment, in ascending order, becomes a draw buffer.
    void updateDrawBuffers();
    // The texture at GL_COLOR_ATTACHMENT0 + index, or null if there is none.
    Texture* colorTexture(unsigned index);

private:
    GLuint name_ = 0;
    std::map<GLenum, std::unique_ptr<Texture>> attachments_;
};

} // namespace Sorva::Gl
