// The hand-moved output: no device, no thread, no clock.
#include "sync/ManualAudioOutput.h"

#include <algorithm>

namespace Sorva {

void ManualAudioOutput::setTune(std::span<const std::int16_t> samples) {
    samples_ = samples;
    tuneFrames_ = static_cast<std::int64_t>(samples.size() / channels);
}

void ManualAudioOutput::start() {
    started_ = true;
}

double ManualAudioOutput::position() const {
    if (!started_)
        return 0.0;
    return std::min(position_, static_cast<double>(tuneFrames_));
}

} // namespace Sorva
