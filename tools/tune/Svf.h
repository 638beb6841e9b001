// State-variable filter (trapezoidal, zero-delay feedback): low-, band- and
// high-pass outputs that stay stable under fast cutoff sweeps.
#pragma once

namespace Sorva::Tune {

class Svf {
public:
    struct Out {
        float low;
        float band;
        float high;
    };

    // Cutoff in Hz (clamped below Nyquist), resonance as Q (0.5 = gentle).
    void set(float cutoff, float q, float sampleRate);
    // Takes another filter's coefficients, keeping this one's state.
    void copyCoefficients(const Svf& other) {
        k_ = other.k_;
        a1_ = other.a1_;
        a2_ = other.a2_;
        a3_ = other.a3_;
    }
    Out process(float x) {
        const float v3 = x - ic2_;
        const float v1 = a1_ * ic1_ + a2_ * v3;
        const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, x - k_ * v1 - v2};
    }

private:
    float k_ = 1.0f;
    float a1_ = 0.0f;
    float a2_ = 0.0f;
    float a3_ = 0.0f;
    float ic1_ = 0.0f;
    float ic2_ = 0.0f;
};

} // namespace Sorva::Tune
