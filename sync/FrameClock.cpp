// Frame numbers to music positions and back.
#include "sync/FrameClock.h"

#include "sync/AudioOutput.h"
#include "sync/ManualAudioOutput.h"

#include <cmath>

namespace Sorva {

double FrameClock::position(std::int64_t frame) const {
    // Exact for every rate that divides 44100, and within an ulp otherwise.
    return static_cast<double>(frame) * AudioOutput::sampleRate / fps_;
}

std::int64_t FrameClock::frameAt(double seconds) const {
    // A time typed as a decimal lands a hair off the frame it names.
    const double frame = std::ceil(seconds * fps_ - 1e-6);
    // Out of range, the conversion to an integer would be undefined.
    if (!(frame < static_cast<double>(lastFrame)))
        return lastFrame;
    return frame > 0.0 ? static_cast<std::int64_t>(frame) : 0;
}

std::int64_t FrameClock::tuneEndFrame(std::int64_t tuneFrames) const {
    const std::int64_t rate = AudioOutput::sampleRate;
    return (tuneFrames * fps_ + rate - 1) / rate;
}

void FrameClock::seek(std::int64_t frame) {
    output_.setPosition(position(frame));
}

} // namespace Sorva
