// One note of a synthesiser instrument: detuned oscillators through a
// stereo low-pass filter, shaped by amplitude and filter envelopes.
#pragma once

#include "tools/tune/Envelope.h"
#include "tools/tune/Oscillator.h"
#include "tools/tune/Patch.h"
#include "tools/tune/Svf.h"

#include <array>
#include <cstdint>

namespace Sorva::Tune {

class SynthVoice {
public:
    static constexpr int maxOscillators = 4;

    // gateFrames: how long the key is held; the release follows.
    SynthVoice(const Patch& patch, float midi, float velocity, float pan, int64_t gateFrames,
               float sampleRate, uint32_t seed);

    // Adds n frames to l and r. cutoff is the instrument's base cutoff in Hz.
    void render(float* l, float* r, int n, float cutoff);
    bool done() const { return amp_.done(); }

private:
    const Patch* patch_;
    float sampleRate_;
    float velocity_;
    double baseCycles_; // cycles per sample of the note's pitch
    std::array<Oscillator, maxOscillators> osc_;
    std::array<double, maxOscillators> ratio_{};
    std::array<float, maxOscillators> left_{};
    std::array<float, maxOscillators> right_{};
    Oscillator square_;
    Oscillator sub_;
    Envelope amp_;
    Envelope filter_;
    Svf filterL_;
    Svf filterR_;
    float panL_;
    float panR_;
    float keyFactor_;
    int64_t gateLeft_;
    int64_t age_ = 0;
};

} // namespace Sorva::Tune
