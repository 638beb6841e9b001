// Ping-pong echo: each repeat alternates sides and loses some treble.
#pragma once

#include <cstddef>
#include <vector>

namespace Sorva::Tune {

class StereoDelay {
public:
    // delayFrames: time between repeats; feedback: level of each repeat;
    // damping: 0 (bright) .. 1 (dark) low-pass in the loop.
    StereoDelay(int delayFrames, float feedback, float damping);

    // Feeds n frames of inL/inR and adds the echoes (no dry signal) to outL/outR.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);

private:
    std::vector<float> left_;
    std::vector<float> right_;
    size_t pos_ = 0;
    float feedback_;
    float damping_;
    float lowL_ = 0.0f;
    float lowR_ = 0.0f;
};

} // namespace Sorva::Tune
