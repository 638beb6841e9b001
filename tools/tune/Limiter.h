// Look-ahead peak limiter for the master: the gain comes down smoothly
// before a peak arrives, so nothing passes the ceiling and nothing clicks.
// It measures true peaks, between the samples as well as on them, so that
// the signal a DAC or an MP3 decoder reconstructs stays under the ceiling too.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace Sorva::Tune {

class Limiter {
public:
    // ceiling: linear true-peak limit; lookahead in frames; release in seconds.
    Limiter(float ceiling, int lookahead, float release, float sampleRate);

    // Limits n frames in place; the output lags the input by latency() frames.
    void process(float* l, float* r, int n);
    int latency() const { return lookahead_ - 1 + taps / 2; }
    // Lowest gain applied so far (1 = never limited).
    float minGain() const { return minGain_; }

private:
    // The interpolator between samples: taps per phase, three phases between
    // two samples (4x oversampling).
    static constexpr int taps = 12;
    static constexpr int phases = 3;

    // The largest reconstructed magnitude around the frame taps / 2 frames back.
    float truePeak() const;

    std::array<std::array<float, taps>, phases> kernel_{};
    std::array<float, 2 * taps> historyL_{}; // the last inputs, twice over: no wrap
    std::array<float, 2 * taps> historyR_{};
    size_t historyPos_ = 0;
    float ceiling_;
    int lookahead_;
    float releaseCoef_;
    // Delay line of the audio, and the window of wanted gains.
    std::vector<float> delayL_;
    std::vector<float> delayR_;
    std::vector<float> wanted_;
    std::vector<float> smoothed_;
    size_t pos_ = 0;
    size_t delayPos_ = 0;
    float held_ = 1.0f;
    size_t heldPos_ = 0;
    float released_ = 1.0f;
    double sum_;
    float minGain_ = 1.0f;
};

} // namespace Sorva::Tune
