// Plays the tune through Web Audio: an AudioBufferSourceNode on the page's
// AudioContext, whose output timestamps are the clock. The context starts
// when the start screen's "Demo" press, a user gesture, resumes it.
#pragma once

#include "sync/AudioOutput.h"

namespace Sorva {

class WebAudioOutput : public AudioOutput {
public:
    // An output whose clock stands still this long while playing is given
    // up on: the show goes on silently on the page's clock.
    static constexpr double stallSeconds = 0.75;

    // Makes the page's 44.1 kHz AudioContext if the decoder has not yet;
    // throws std::runtime_error when the browser has no Web Audio.
    WebAudioOutput();
    ~WebAudioOutput() override;
    WebAudioOutput(const WebAudioOutput&) = delete;
    WebAudioOutput& operator=(const WebAudioOutput&) = delete;

    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    // What is heard: the context time the output last said it was playing,
    // carried on by the page's clock since, up to the end of what was
    // rendered, from where the tune started. Also where a lost device is noticed and told, once.
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    bool started_ = false;
    mutable bool lostTold_ = false;
};

} // namespace Sorva
