// One hit of the synthesised drum kit: kick, snare, clap, hats, toms, crash,
// shaker, the noise riser of the build-up and the low boom of the last hit.
#pragma once

#include "tools/tune/Rng.h"
#include "tools/tune/Svf.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace Sorva::Tune {

enum class DrumKind { Kick, Snare, Clap, ClosedHat, OpenHat, Shaker, Tom, Crash, Riser, Boom };

class DrumVoice {
public:
    // midi sets the tom's pitch; lengthFrames the riser's length (others ring
    // out by themselves).
    DrumVoice(DrumKind kind, float velocity, float pan, float midi, int64_t lengthFrames,
              float sampleRate, uint32_t seed);

    // Adds n frames to l and r.
    void render(float* l, float* r, int n);
    bool done() const { return done_; }

private:
    // An exponential decay computed by recurrence: one multiply per sample.
    struct Decay {
        float value = 1.0f;
        float coef = 1.0f;
        void set(float tau, float sampleRate) { coef = std::exp(-1.0f / (tau * sampleRate)); }
        float next() {
            const float v = value;
            // Stop at zero rather than crawl through slow denormal numbers.
            value = value > 1.0e-20f ? value * coef : 0.0f;
            return v;
        }
    };

    void advance(float cycles);
    float kick(float t);
    float snare(float t);
    float clap(float t);
    float hat(float t);
    float shaker(float t);
    float tom(float t);
    float boom(float t);
    void crash(float t, float& l, float& r);
    void riser(float t, float& l, float& r);
    float metal();

    DrumKind kind_;
    float velocity_;
    float panL_;
    float panR_;
    float sampleRate_;
    float freq_;
    float length_;
    int64_t age_ = 0;
    bool done_ = false;
    float phase_ = 0.0f; // in cycles
    float phase2_ = 0.0f;
    Rng rng_;
    Svf filterA_;
    Svf filterB_;
    Svf filterC_;
    std::array<float, 6> metal_; // phases of the metallic squares
    std::array<Decay, 3> decay_;
};

} // namespace Sorva::Tune
