// GL texture wrapper.
#include "gl/Texture.h"

namespace Sorva::Gl {

Texture::Texture(GLenum target) : target_(target) {
    glGenTextures(1, &name_);
}

Texture::~Texture() {
    glDeleteTextures(1, &name_);
}

void Texture::bind() {
    glBindTexture(target_, name_);
}

void Texture::texImage2D(GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                         GLint border, GLenum format, GLenum type, const void* data) {
    glTexImage2D(target_, level, internalFormat, width, height, border, format, type, data);
    width_ = width;
    height_ = height;
}

void Texture::texParameteri(GLenum name, GLint value) {
    glTexParameteri(target_, name, value);
}

} // namespace Sorva::Gl
