// The device-less output: position = where playback last started or was moved
// to, plus the time since then × sample rate, held at the tune's end.
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
    if (paused_)
        return from_;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startedAt_;
    return std::min(from_ + elapsed.count() * sampleRate, static_cast<double>(tuneFrames_));
}

void SilentAudioOutput::seek(double frames) {
    // The monotonic clock restarts at the new position.
    from_ = std::clamp(frames, 0.0, static_cast<double>(tuneFrames_));
    startedAt_ = std::chrono::steady_clock::now();
}

void SilentAudioOutput::setPaused(bool paused) {
    if (paused == paused_)
        return;
    if (paused)
        from_ = position();
    else
        startedAt_ = std::chrono::steady_clock::now();
    paused_ = paused;
}

} // namespace Sorva
