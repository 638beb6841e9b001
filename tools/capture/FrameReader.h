// The capture tool's render target and its read-back: the show's last pass
// draws into an 8-bit RGBA framebuffer of the capture size (a hidden window's
// own framebuffer is unreliable to read), and two pixel-pack buffers take
// turns, so that one frame's pixels come back while the next one renders.
#pragma once

#include "gl/BufferObject.h"
#include "gl/Fbo.h"

#include <cstdint>

namespace Sorva {

class FrameWriterThread;

class FrameReader {
public:
    // Throws std::runtime_error when the framebuffer cannot be made at this
    // size.
    FrameReader(int width, int height);
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // What the show's last pass draws into.
    Gl::Fbo& target() { return target_; }

    // Starts reading the target's current picture as this frame, and hands
    // the previously read frame, if any, to the writer.
    void read(std::int64_t number, double seconds, double row, FrameWriterThread& writer);
    // Hands the last read frame to the writer.
    void flush(FrameWriterThread& writer);

private:
    struct Pending {
        bool active = false;
        std::int64_t number = 0;
        double seconds = 0.0;
        double row = 0.0;
    };

    void collect(int index, FrameWriterThread& writer);

    int width_;
    int height_;
    Gl::Fbo target_;
    Gl::BufferObject pack0_;
    Gl::BufferObject pack1_;
    Pending pending_[2];
    int next_ = 0;
};

} // namespace Sorva
