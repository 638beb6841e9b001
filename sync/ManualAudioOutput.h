// An audio output that plays nothing and is wherever its owner puts it: the
// capture tool moves it frame by frame, so the show runs on a fixed step.
#pragma once

#include "sync/AudioOutput.h"

namespace Sorva {

class ManualAudioOutput : public AudioOutput {
public:
    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    // The position last set, held at the tune's length like a real output
    // once its tune has ended; 0 before start().
    double position() const override;
    // It only moves when told: a seek sets the position, pausing does nothing.
    void seek(double frames) override { position_ = frames; }
    void setPaused(bool) override {}

    // Moves playback to `frames` (44.1 kHz frames from the tune's start).
    void setPosition(double frames) { position_ = frames; }
    std::int64_t tuneFrames() const { return tuneFrames_; }
    // The tune it was given, which the music clock holds for as long as it.
    std::span<const std::int16_t> samples() const { return samples_; }

private:
    std::span<const std::int16_t> samples_;
    std::int64_t tuneFrames_ = 0;
    bool started_ = false;
    double position_ = 0.0;
};

} // namespace Sorva
