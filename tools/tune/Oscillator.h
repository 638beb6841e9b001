// Band-limited (PolyBLEP) oscillator: saw, square and triangle without the
// harsh aliasing of naive waveforms, plus a plain sine.
#pragma once

#include <cmath>
#include <numbers>

namespace Sorva::Tune {

enum class Wave { Sine, Saw, Square, Triangle };

class Oscillator {
public:
    explicit Oscillator(Wave wave = Wave::Saw, double phase = 0.0);

    // One sample at the given frequency in cycles per sample (f / sampleRate).
    float next(double cyclesPerSample);
    // The same as next() for a Saw oscillator, without the choice of wave.
    float saw(double cyclesPerSample) {
        const double value = 2.0 * phase_ - 1.0 - polyBlep(phase_, cyclesPerSample);
        phase_ += cyclesPerSample;
        if (phase_ >= 1.0)
            phase_ -= 1.0;
        return static_cast<float>(value);
    }
    // Residual of a band-limited step at phase t, for a step every period.
    static double polyBlep(double t, double dt) {
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0;
        }
        if (t > 1.0 - dt) {
            t = (t - 1.0) / dt;
            return t * t + t + t + 1.0;
        }
        return 0.0;
    }
    double phase() const { return phase_; }

private:
    Wave wave_;
    double phase_;
    float triangle_ = 0.0f;
};

inline float Oscillator::next(double dt) {
    if (dt > 0.45)
        dt = 0.45;
    double value = 0.0;
    switch (wave_) {
    case Wave::Sine:
        value = std::sin(2.0f * std::numbers::pi_v<float> * static_cast<float>(phase_));
        break;
    case Wave::Saw:
        value = 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
        break;
    case Wave::Square:
    case Wave::Triangle: {
        const double half = phase_ < 0.5 ? phase_ + 0.5 : phase_ - 0.5;
        value = (phase_ < 0.5 ? 1.0 : -1.0) + polyBlep(phase_, dt) - polyBlep(half, dt);
        if (wave_ == Wave::Triangle) {
            // Leaky integration of the band-limited square.
            triangle_ = static_cast<float>(dt * 4.0 * value + (1.0 - dt * 0.05) * triangle_);
            value = triangle_;
        }
        break;
    }
    }
    phase_ += dt;
    if (phase_ >= 1.0)
        phase_ -= 1.0;
    return static_cast<float>(value);
}

} // namespace Sorva::Tune
