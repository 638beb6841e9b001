// Owning wrapper of one GL texture with the upload and parameter calls the
// framebuffers and image loading use.
#pragma once

#include "gl/Object.h"

namespace Sorva::Gl {

class Texture : public Object {
public:
    // Generates the texture name; does not bind it.
    explicit Texture(GLenum target);
    virtual ~Texture();

    void bind() override;
    GLuint id() const override { return name_; }

    // glTexImage2D on this texture's target; remembers the size. Bind first.
    void texImage2D(GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                    GLenum format, GLenum type, const void* data);
    // glTexParameteri on this texture's target. Bind first.
    void texParameteri(GLenum name, GLint value);

    // Size given to the last texImage2D, -1 before any.
    int width() const { return width_; }
    int height() const { return height_; }

private:
    GLuint name_ = 0;
    GLenum target_;
    int width_ = -1;
    int height_ = -1;
};

} // namespace Sorva::Gl
