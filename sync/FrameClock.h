// The time base of rendering offline (the capture tool, a still frame): frame
// n is n / fps seconds into the tune. Moves the music clock's output there,
// so every track reads that moment.
#pragma once

#include <cstdint>

namespace Sorva {

class ManualAudioOutput;

class FrameClock {
public:
    FrameClock(int fps, ManualAudioOutput& output) : fps_(fps), output_(output) {}

    int fps() const { return fps_; }
    double frameStep() const { return 1.0 / fps_; }
    double seconds(std::int64_t frame) const { return static_cast<double>(frame) / fps_; }
    // The tune position of a frame in 44.1 kHz frames.
    double position(std::int64_t frame) const;

    // Far beyond any show, and exact in a double: where frameAt() saturates.
    static constexpr std::int64_t lastFrame = std::int64_t{1} << 52;

    // The first frame shown at or after a time in seconds; 0 for negative
    // times, lastFrame for later ones, infinity and NaN.
    std::int64_t frameAt(double seconds) const;
    // The first frame at or past the end of a tune this many 44.1 kHz frames long.
    std::int64_t tuneEndFrame(std::int64_t tuneFrames) const;

    // Puts the music at the frame's moment.
    void seek(std::int64_t frame);

private:
    int fps_;
    ManualAudioOutput& output_;
};

} // namespace Sorva
