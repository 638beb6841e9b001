// An audio output without a device: the tune's time passes on the monotonic
// clock, so the show runs in step with music nobody hears.
#pragma once

#include "sync/AudioOutput.h"

#include <chrono>

namespace Sorva {

class SilentAudioOutput : public AudioOutput {
public:
    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    std::int64_t tuneFrames_ = 0;
    bool started_ = false;
    bool paused_ = false;
    // The position is `from_` frames plus the time since `startedAt_`.
    double from_ = 0.0;
    std::chrono::steady_clock::time_point startedAt_;
};

} // namespace Sorva
