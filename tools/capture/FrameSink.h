// Where captured frames go: PNG files, a video encoder, a contact sheet.
#pragma once

namespace Sorva {

struct Frame;

class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Takes one frame; called in frame order from the writer thread. Throws
    // std::runtime_error naming the file or the cause when it cannot.
    virtual void write(const Frame& frame) = 0;
    // After the last frame, on success: completes the output under its
    // final name. Throws like write().
    virtual void finish() = 0;
    // Instead of finish() when the capture fails or is interrupted: leaves
    // nothing half-written under the final name.
    virtual void abandon() {}
};

} // namespace Sorva
