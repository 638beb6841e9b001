// A synthesiser note. The filter cutoff and vibrato are updated every few
// samples: fast enough to be smooth, cheap enough for many voices.
#include "tools/tune/SynthVoice.h"

#include "tools/tune/Rng.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Sorva::Tune {

namespace {

constexpr int controlPeriod = 16;

float softClip(float x) {
    x = std::clamp(x, -3.0f, 3.0f);
    return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

void equalPower(float pan, float& l, float& r) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    l = std::cos(angle);
    r = std::sin(angle);
}

} // namespace

SynthVoice::SynthVoice(const Patch& patch, float midi, float velocity, float pan,
                       int64_t gateFrames, float sampleRate, uint32_t seed)
    : patch_(&patch), sampleRate_(sampleRate), velocity_(velocity),
      baseCycles_(440.0 * std::pow(2.0, (midi - 69.0) / 12.0) / sampleRate), square_(Wave::Square),
      sub_(Wave::Sine), amp_(patch.attack, patch.decay, patch.sustain, patch.release, sampleRate),
      filter_(patch.filterAttack, patch.filterDecay, patch.filterSustain, patch.release,
              sampleRate),
      keyFactor_(std::pow(2.0f, patch.keyTrack * (midi - 60.0f) / 12.0f)),
      gateLeft_(std::max<int64_t>(gateFrames, 1)) {
    Rng rng(seed);
    const int count = std::clamp(patch.oscillators, 1, maxOscillators);
    equalPower(pan, panL_, panR_);
    const float norm = 1.0f / std::sqrt(static_cast<float>(count));
    for (int i = 0; i < count; ++i) {
        // Spread evenly across the detune range and the stereo field.
        const float spread = count == 1 ? 0.0f : 2.0f * i / (count - 1) - 1.0f;
        ratio_[i] = std::pow(2.0, spread * patch.detuneCents * 0.5 / 1200.0);
        osc_[i] = Oscillator(patch.wave, rng.uniform());
        float l = 0.0f;
        float r = 0.0f;
        equalPower(spread * patch.width, l, r);
        left_[i] = l * norm;
        right_[i] = r * norm;
    }
    for (int i = count; i < maxOscillators; ++i)
        ratio_[i] = 0.0;
}

void SynthVoice::render(float* l, float* r, int n, float cutoff) {
    const Patch& p = *patch_;
    const int count = std::clamp(p.oscillators, 1, maxOscillators);
    const bool stereo = p.width > 0.0f && count > 1;
    const bool saw = p.wave == Wave::Saw;
    for (int start = 0; start < n; start += controlPeriod) {
        const int end = std::min(n, start + controlPeriod);

        // Control rate: vibrato and filter cutoff.
        double cycles = baseCycles_;
        if (p.vibratoCents > 0.0f) {
            const float seconds = age_ / sampleRate_;
            const float fade = std::clamp((seconds - p.vibratoDelay) * 2.0f, 0.0f, 1.0f);
            const float lfo = std::sin(2.0f * std::numbers::pi_v<float> * p.vibratoHz * seconds);
            cycles *= std::pow(2.0, fade * p.vibratoCents * lfo / 1200.0);
        }
        const float fc = cutoff * keyFactor_ *
                         std::exp2(p.envOctaves * filter_.level() * (0.5f + 0.5f * velocity_));
        filterL_.set(fc, p.resonance, sampleRate_);
        std::array<double, maxOscillators> dt{};
        for (int k = 0; k < count; ++k)
            dt[k] = cycles * ratio_[k];
        if (stereo)
            filterR_.copyCoefficients(filterL_);

        for (int i = start; i < end; ++i) {
            if (gateLeft_ > 0 && --gateLeft_ == 0) {
                amp_.release();
                filter_.release();
            }
            const float a = amp_.next() * velocity_ * p.gain;
            filter_.next();
            float sl = 0.0f;
            float sr = 0.0f;
            for (int k = 0; k < count; ++k) {
                const float s = saw ? osc_[k].saw(dt[k]) : osc_[k].next(dt[k]);
                sl += s * left_[k];
                sr += s * right_[k];
            }
            float extra = 0.0f;
            if (p.squareMix > 0.0f)
                extra += p.squareMix * square_.next(cycles * 2.0);
            if (p.subLevel > 0.0f)
                extra += p.subLevel * sub_.next(cycles * 0.5);
            if (stereo) {
                float fl = sl + extra * 0.7071f;
                float fr = sr + extra * 0.7071f;
                if (p.drive > 0.0f) {
                    fl = softClip(fl * (1.0f + p.drive));
                    fr = softClip(fr * (1.0f + p.drive));
                }
                l[i] += filterL_.process(fl).low * a * panL_ * std::numbers::sqrt2_v<float>;
                r[i] += filterR_.process(fr).low * a * panR_ * std::numbers::sqrt2_v<float>;
            } else {
                float m = (sl + sr) * 0.7071f + extra;
                if (p.drive > 0.0f)
                    m = softClip(m * (1.0f + p.drive));
                const float y = filterL_.process(m).low * a;
                l[i] += y * panL_;
                r[i] += y * panR_;
            }
            ++age_;
            if (amp_.done())
                return;
        }
    }
}

} // namespace Sorva::Tune
