// Ping-pong echo on two circular buffers that feed each other.
#include "tools/tune/StereoDelay.h"

#include <algorithm>

namespace Sorva::Tune {

StereoDelay::StereoDelay(int delayFrames, float feedback, float damping)
    : left_(static_cast<size_t>(std::max(delayFrames, 1)), 0.0f),
      right_(static_cast<size_t>(std::max(delayFrames, 1)), 0.0f), feedback_(feedback),
      damping_(std::clamp(damping, 0.0f, 0.99f)) {}

void StereoDelay::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    const size_t size = left_.size();
    for (int i = 0; i < n; ++i) {
        const float echoL = left_[pos_];
        const float echoR = right_[pos_];
        lowL_ = echoL + damping_ * (lowL_ - echoL);
        lowR_ = echoR + damping_ * (lowR_ - echoR);
        // The input enters on the left; the left echo moves right, the right one back left.
        left_[pos_] = 0.5f * (inL[i] + inR[i]) + lowR_ * feedback_;
        right_[pos_] = lowL_ * feedback_;
        outL[i] += echoL;
        outR[i] += echoR;
        if (++pos_ == size)
            pos_ = 0;
    }
}

} // namespace Sorva::Tune
