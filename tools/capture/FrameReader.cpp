// Capture framebuffer and pixel-pack buffer ping-pong.
#include "tools/capture/FrameReader.h"

#include "tools/capture/Frame.h"
#include "tools/capture/FrameWriterThread.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace Sorva {

namespace {

std::unique_ptr<Gl::Texture> makeTexture(int width, int height, GLint internalFormat, GLenum format,
                                         GLenum type) {
    auto texture = std::make_unique<Gl::Texture>(GL_TEXTURE_2D);
    texture->bind();
    texture->texImage2D(0, internalFormat, width, height, 0, format, type, nullptr);
    texture->texParameteri(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    texture->texParameteri(GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

} // namespace

FrameReader::FrameReader(int width, int height)
    : width_(width), height_(height), pack0_(GL_PIXEL_PACK_BUFFER), pack1_(GL_PIXEL_PACK_BUFFER) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > maxSize || height > maxSize)
        throw std::runtime_error("--size " + std::to_string(width) + "x" + std::to_string(height) +
                                 " is larger than this OpenGL allows (" + std::to_string(maxSize) +
                                 " pixels a side)");

    // Like the window: 8 bits a channel and a depth buffer.
    target_.bind();
    target_.attachTexture(GL_COLOR_ATTACHMENT0,
                          makeTexture(width, height, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE));
    target_.attachTexture(GL_DEPTH_ATTACHMENT, makeTexture(width, height, GL_DEPTH_COMPONENT24,
                                                           GL_DEPTH_COMPONENT, GL_FLOAT));
    target_.updateDrawBuffers();
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        throw std::runtime_error("cannot make a " + std::to_string(width) + "x" +
                                 std::to_string(height) + " framebuffer to capture into");

    const auto bytes = static_cast<GLsizeiptr>(width) * height * Frame::channels;
    for (Gl::BufferObject* pack : {&pack0_, &pack1_}) {
        pack->bind();
        pack->setData(bytes, nullptr, GL_STREAM_READ);
    }
    pack1_.unbind();
}

void FrameReader::read(std::int64_t number, double seconds, double row, FrameWriterThread& writer) {
    const int index = next_;
    target_.bind();
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    Gl::BufferObject& pack = index == 0 ? pack0_ : pack1_;
    pack.bind();
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    pack.unbind();
    pending_[index] = {true, number, seconds, row};
    next_ = 1 - index;
    // The other buffer holds the frame before, read while this one rendered.
    collect(next_, writer);
}

void FrameReader::flush(FrameWriterThread& writer) {
    collect(1 - next_, writer);
}

void FrameReader::collect(int index, FrameWriterThread& writer) {
    Pending& pending = pending_[index];
    if (!pending.active)
        return;
    pending.active = false;

    Frame& frame = writer.acquire();
    frame.number = pending.number;
    frame.seconds = pending.seconds;
    frame.row = pending.row;

    Gl::BufferObject& pack = index == 0 ? pack0_ : pack1_;
    pack.bind();
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * Frame::channels;
    const auto* pixels = static_cast<const std::uint8_t*>(glMapBufferRange(
        GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(rowBytes * height_), GL_MAP_READ_BIT));
    if (!pixels) {
        pack.unbind();
        throw std::runtime_error("cannot read the rendered frame back from OpenGL");
    }
    // GL's rows run bottom-up; pictures and video run top-down.
    for (int y = 0; y < height_; ++y)
        std::memcpy(&frame.pixels[static_cast<std::size_t>(y) * rowBytes],
                    pixels + static_cast<std::size_t>(height_ - 1 - y) * rowBytes, rowBytes);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    pack.unbind();
    writer.submit(frame);
}

} // namespace Sorva
