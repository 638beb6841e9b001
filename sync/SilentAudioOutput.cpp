// The device-less output: position = time since start × sample rate, held at
// the tune's end.
#include "sync/SilentAudioOutput.h"

#include <algorithm>

namespace Sorva {

void SilentAudioOutput::setTune(std::span<const std::int16_t> samples) {
    tuneFrames_ = static_cast<std::int64_t>(samples.size() / channels);
}

void SilentAudioOutput::start() {
    if (started_)
        return;
    startedAt_ = std::chrono::steady_clock::now();
    started_ = true;
}

double SilentAudioOutput::position() const {
    if (!started_)
        return 0.0;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startedAt_;
    return std::min(elapsed.count() * sampleRate, static_cast<double>(tuneFrames_));
}

} // namespace Sorva
