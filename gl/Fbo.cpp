// GL framebuffer wrapper with float colour and depth texture attachments.
#include "gl/Fbo.h"

#include "gl/StartupObserver.h"

#include <vector>

namespace Sorva::Gl {

namespace {

std::unique_ptr<Texture> makeAttachmentTexture(int width, int height, GLint internalFormat,
                                               GLenum format, GLenum type, GLint filter) {
    auto texture = std::make_unique<Texture>(GL_TEXTURE_2D);
    texture->bind();
    texture->texImage2D(0, internalFormat, width, height, 0, format, type, nullptr);
    texture->texParameteri(GL_TEXTURE_MAG_FILTER, filter);
    texture->texParameteri(GL_TEXTURE_MIN_FILTER, filter);
    texture->texParameteri(GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->texParameteri(GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

} // namespace

Fbo::Fbo() {
    glGenFramebuffers(1, &name_);
}

Fbo::~Fbo() {
    glDeleteFramebuffers(1, &name_);
    // The attachment textures go with the map, after the framebuffer.
}

void Fbo::bind() {
    glBindFramebuffer(GL_FRAMEBUFFER, name_);
}

bool Fbo::setup(int width, int height, unsigned colorCount, bool withDepth) {
    StartupObserver::Scope timing(StartupObserver::Work::FramebufferSetup);
    bind();
    for (unsigned i = 0; i < colorCount; ++i)
        attachTexture(
            GL_COLOR_ATTACHMENT0 + i,
            makeAttachmentTexture(width, height, GL_RGBA32F, GL_RGBA, GL_FLOAT, GL_LINEAR));
    if (withDepth)
        attachTexture(GL_DEPTH_ATTACHMENT,
                      makeAttachmentTexture(width, height, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT,
                                            GL_UNSIGNED_INT, GL_NEAREST));
    updateDrawBuffers();
    return true;
}

void Fbo::attachTexture(GLenum attachment, std::unique_ptr<Texture> texture) {
    // Every attachment is a 2D texture; GLES 3 (WebGL 2) has only the 2D call.
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture->id(), 0);
    attachments_[attachment] = std::move(texture);
}

void Fbo::updateDrawBuffers() {
    std::vector<GLenum> buffers;
    for (const auto& [attachment, texture] : attachments_)
        if (attachment != GL_DEPTH_ATTACHMENT)
            buffers.push_back(attachment);
    glDrawBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
}

Texture* Fbo::colorTexture(unsigned index) {
    const auto it = attachments_.find(GL_COLOR_ATTACHMENT0 + index);
    return it == attachments_.end() ? nullptr : it->second.get();
}

} // namespace Sorva::Gl
