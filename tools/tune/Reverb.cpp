// The classic Schroeder-Moorer reverb topology with the well-known mutually
// prime delay lengths, scaled to the sample rate.
#include "tools/tune/Reverb.h"

#include <algorithm>

namespace Sorva::Tune {

namespace {

constexpr std::array<int, 8> combLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> allPassLengths = {556, 441, 341, 225};
constexpr int stereoSpread = 23;
constexpr float inputGain = 0.015f;

size_t scaled(int length, float sampleRate) {
    return static_cast<size_t>(std::max(1.0f, length * sampleRate / 44100.0f));
}

} // namespace

Reverb::Reverb(float size, float damping, float sampleRate)
    : feedback_(0.7f + 0.28f * std::clamp(size, 0.0f, 1.0f)),
      damping_(0.4f * std::clamp(damping, 0.0f, 1.0f)) {
    for (int i = 0; i < combs; ++i) {
        combL_[i].buffer.assign(scaled(combLengths[i], sampleRate), 0.0f);
        combR_[i].buffer.assign(scaled(combLengths[i] + stereoSpread, sampleRate), 0.0f);
    }
    for (int i = 0; i < allPasses; ++i) {
        passL_[i].buffer.assign(scaled(allPassLengths[i], sampleRate), 0.0f);
        passR_[i].buffer.assign(scaled(allPassLengths[i] + stereoSpread, sampleRate), 0.0f);
    }
}

namespace {

template <typename C> float runComb(C& c, float in, float feedback, float damping) {
    const float out = c.buffer[c.pos];
    c.store = out + damping * (c.store - out);
    c.buffer[c.pos] = in + c.store * feedback;
    if (++c.pos == c.buffer.size())
        c.pos = 0;
    return out;
}

template <typename A> float runAllPass(A& a, float in) {
    const float delayed = a.buffer[a.pos];
    a.buffer[a.pos] = in + delayed * 0.5f;
    if (++a.pos == a.buffer.size())
        a.pos = 0;
    return delayed - in;
}

} // namespace

void Reverb::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    for (int i = 0; i < n; ++i) {
        const float in = (inL[i] + inR[i]) * inputGain;
        float l = 0.0f;
        float r = 0.0f;
        for (int k = 0; k < combs; ++k) {
            l += runComb(combL_[k], in, feedback_, damping_);
            r += runComb(combR_[k], in, feedback_, damping_);
        }
        for (int k = 0; k < allPasses; ++k) {
            l = runAllPass(passL_[k], l);
            r = runAllPass(passR_[k], r);
        }
        outL[i] += l;
        outR[i] += r;
    }
}

} // namespace Sorva::Tune
