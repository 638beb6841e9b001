// Look-ahead peak limiter for the master: the gain comes down smoothly
// before a peak arrives, so nothing passes the ceiling and nothing clicks.
#pragma once

#include <cstddef>
#include <vector>

namespace Sorva::Tune {

class Limiter {
public:
    // ceiling: linear peak limit; lookahead in frames (also the latency);
    // release in seconds.
    Limiter(float ceiling, int lookahead, float release, float sampleRate);

    // Limits n frames in place; the output lags the input by latency() frames.
    void process(float* l, float* r, int n);
    int latency() const { return lookahead_ - 1; }
    // Lowest gain applied so far (1 = never limited).
    float minGain() const { return minGain_; }

private:
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
