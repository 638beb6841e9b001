// Drum synthesis: sines with falling pitch for the kick, toms and boom;
// filtered noise for the snare, clap, shaker and riser; a bank of detuned
// squares for the metallic hats and crash.
#include "tools/tune/DrumVoice.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Sorva::Tune {

namespace {

constexpr float twoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float silent = 1.0e-4f;

// Inharmonic partials of the classic analogue hat circuit, in Hz.
constexpr std::array<float, 6> metalHz = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};

float softClip(float x) {
    x = std::clamp(x, -3.0f, 3.0f);
    return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

} // namespace

DrumVoice::DrumVoice(DrumKind kind, float velocity, float pan, float midi, int64_t lengthFrames,
                     float sampleRate, uint32_t seed)
    : kind_(kind), velocity_(velocity), sampleRate_(sampleRate),
      freq_(440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f)),
      length_(static_cast<float>(std::max<int64_t>(lengthFrames, 1)) / sampleRate), rng_(seed) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    panL_ = std::cos(angle) * std::numbers::sqrt2_v<float>;
    panR_ = std::sin(angle) * std::numbers::sqrt2_v<float>;
    for (float& phase : metal_)
        phase = rng_.uniform();
    // Time constants of each kind's decays, in seconds; unused ones stay at 1.
    const std::array<float, 3> taus = [kind] {
        switch (kind) {
        case DrumKind::Kick:
            return std::array<float, 3>{0.032f, 0.11f, 0.004f};
        case DrumKind::Snare:
            return std::array<float, 3>{0.045f, 0.14f, 1.0f};
        case DrumKind::Clap:
            return std::array<float, 3>{0.006f, 0.13f, 1.0f};
        case DrumKind::ClosedHat:
            return std::array<float, 3>{0.022f, 1.0f, 1.0f};
        case DrumKind::OpenHat:
            return std::array<float, 3>{0.16f, 1.0f, 1.0f};
        case DrumKind::Shaker:
            return std::array<float, 3>{0.035f, 1.0f, 1.0f};
        case DrumKind::Tom:
            return std::array<float, 3>{0.09f, 0.22f, 0.02f};
        case DrumKind::Crash:
            return std::array<float, 3>{0.55f, 0.12f, 1.0f};
        case DrumKind::Boom:
            return std::array<float, 3>{0.15f, 0.55f, 1.0f};
        case DrumKind::Riser:
            break;
        }
        return std::array<float, 3>{1.0f, 1.0f, 1.0f};
    }();
    for (size_t i = 0; i < decay_.size(); ++i)
        decay_[i].set(taus[i], sampleRate);

    switch (kind) {
    case DrumKind::Snare:
        filterA_.set(3500.0f, 0.5f, sampleRate);
        break;
    case DrumKind::Clap:
        filterA_.set(1500.0f, 1.2f, sampleRate);
        filterB_.set(600.0f, 0.7f, sampleRate);
        break;
    case DrumKind::ClosedHat:
    case DrumKind::OpenHat:
        filterA_.set(7500.0f, 0.8f, sampleRate);
        filterB_.set(10000.0f, 0.7f, sampleRate);
        break;
    case DrumKind::Shaker:
        filterA_.set(6500.0f, 1.2f, sampleRate);
        break;
    case DrumKind::Kick:
        filterA_.set(3000.0f, 0.7f, sampleRate);
        break;
    case DrumKind::Tom:
        filterA_.set(2500.0f, 0.7f, sampleRate);
        break;
    case DrumKind::Crash:
        filterA_.set(4500.0f, 0.7f, sampleRate);
        filterB_.set(4500.0f, 0.7f, sampleRate);
        filterC_.set(9000.0f, 0.6f, sampleRate);
        break;
    case DrumKind::Riser:
    case DrumKind::Boom:
        break;
    }
}

void DrumVoice::render(float* l, float* r, int n) {
    if (done_)
        return;
    if (kind_ == DrumKind::Riser) {
        // Sweep the band-pass once per block: smooth enough over 64 frames.
        const float t = age_ / sampleRate_;
        const float x = std::clamp(t / length_, 0.0f, 1.0f);
        const float fc = 250.0f * std::pow(40.0f, x);
        filterA_.set(fc, 1.5f, sampleRate_);
        filterB_.set(fc * 1.07f, 1.5f, sampleRate_);
    }
    for (int i = 0; i < n; ++i) {
        const float t = age_ / sampleRate_;
        float sl = 0.0f;
        float sr = 0.0f;
        switch (kind_) {
        case DrumKind::Kick:
            sl = sr = kick(t);
            break;
        case DrumKind::Snare:
            sl = sr = snare(t);
            break;
        case DrumKind::Clap:
            sl = sr = clap(t);
            break;
        case DrumKind::ClosedHat:
        case DrumKind::OpenHat:
            sl = sr = hat(t);
            break;
        case DrumKind::Shaker:
            sl = sr = shaker(t);
            break;
        case DrumKind::Tom:
            sl = sr = tom(t);
            break;
        case DrumKind::Boom:
            sl = sr = boom(t);
            break;
        case DrumKind::Crash:
            crash(t, sl, sr);
            break;
        case DrumKind::Riser:
            riser(t, sl, sr);
            break;
        }
        l[i] += sl * velocity_ * panL_;
        r[i] += sr * velocity_ * panR_;
        ++age_;
        if (done_)
            return;
    }
}

void DrumVoice::advance(float cycles) {
    // Kept within one cycle: sines of large arguments are slow and imprecise.
    phase_ += cycles;
    if (phase_ >= 1.0f)
        phase_ -= 1.0f;
}

float DrumVoice::kick(float t) {
    // Pitch falls from about 160 Hz to 46 Hz; decays: 0 pitch, 1 body, 2 click.
    advance((46.0f + 114.0f * decay_[0].next()) / sampleRate_);
    const float body = std::sin(twoPi * phase_);
    const float amp = t < 0.06f ? 1.0f : decay_[1].next();
    const float attack = std::min(t / 0.0008f, 1.0f);
    const float click = filterA_.process(rng_.bipolar()).band * decay_[2].next() * 0.5f;
    if (amp < silent)
        done_ = true;
    // A little saturation fattens the body.
    return softClip(1.6f * body * amp) * attack + click;
}

float DrumVoice::snare(float t) {
    // Decays: 0 tone, 1 noise.
    advance(185.0f / sampleRate_);
    phase2_ += 330.0f / sampleRate_;
    if (phase2_ >= 1.0f)
        phase2_ -= 1.0f;
    const float tone =
        (std::sin(twoPi * phase_) + 0.6f * std::sin(twoPi * phase2_)) * decay_[0].next() * 0.45f;
    const float noiseEnv = decay_[1].next();
    const float noise = filterA_.process(rng_.bipolar()).band * noiseEnv * 1.2f;
    const float attack = std::min(t / 0.001f, 1.0f);
    if (noiseEnv < silent)
        done_ = true;
    return (tone + noise) * attack;
}

float DrumVoice::clap(float t) {
    // Three quick bursts (decay 0, restarted), then the diffuse tail (decay 1).
    for (int k = 1; k < 3; ++k)
        if (age_ == static_cast<int64_t>(0.011f * k * sampleRate_))
            decay_[0].value = 1.0f;
    const float burst = std::min(std::fmod(t, 0.011f) / 0.0005f, 1.0f) * decay_[0].next();
    const float tail = t > 0.022f ? decay_[1].next() * 0.7f : 0.0f;
    const float env = t < 0.033f ? std::max(burst, tail) : tail;
    if (t > 0.05f && tail < silent)
        done_ = true;
    const float band = filterA_.process(rng_.bipolar()).band;
    return filterB_.process(band).high * env * 1.8f;
}

float DrumVoice::metal() {
    // Plain squares: their aliasing is lost in the noise of a cymbal.
    float sum = 0.0f;
    for (size_t i = 0; i < metal_.size(); ++i) {
        metal_[i] += metalHz[i] * 1.9f / sampleRate_;
        if (metal_[i] >= 1.0f)
            metal_[i] -= 1.0f;
        sum += metal_[i] < 0.5f ? 1.0f : -1.0f;
    }
    return sum * (1.0f / 6.0f);
}

float DrumVoice::hat(float t) {
    const float env = decay_[0].next() * std::min(t / 0.0005f, 1.0f);
    if (t > 0.01f && env < silent)
        done_ = true;
    const float src = 0.55f * metal() + 0.45f * rng_.bipolar();
    const float band = filterA_.process(src).band;
    return filterB_.process(band).high * env * 1.6f;
}

float DrumVoice::shaker(float t) {
    const float env = std::min(t / 0.012f, 1.0f) * decay_[0].next();
    if (t > 0.02f && env < silent)
        done_ = true;
    return filterA_.process(rng_.bipolar()).band * env * 1.4f;
}

float DrumVoice::tom(float t) {
    // Decays: 0 pitch, 1 body, 2 stick noise.
    advance(freq_ * (1.0f + 0.8f * decay_[0].next()) / sampleRate_);
    const float amp = decay_[1].next();
    if (amp < silent)
        done_ = true;
    const float noise = filterA_.process(rng_.bipolar()).band * decay_[2].next() * 0.3f;
    return (std::sin(twoPi * phase_) * amp + noise) * std::min(t / 0.001f, 1.0f);
}

float DrumVoice::boom(float t) {
    // Decays: 0 pitch, 1 body.
    advance((38.0f + 40.0f * decay_[0].next()) / sampleRate_);
    const float amp = decay_[1].next();
    if (amp < silent)
        done_ = true;
    return softClip(1.3f * std::sin(twoPi * phase_) * amp) * std::min(t / 0.002f, 1.0f);
}

void DrumVoice::crash(float t, float& l, float& r) {
    // Decays: 0 the wash, 1 the first bright splash.
    const float env = std::min(t / 0.001f, 1.0f) * decay_[0].next();
    if (t > 0.01f && env < silent)
        done_ = true;
    const float m = metal();
    // Independent noise per side: a wide wash.
    const float nl = filterA_.process(0.4f * m + 0.6f * rng_.bipolar()).high;
    const float nr = filterB_.process(0.4f * m + 0.6f * rng_.bipolar()).high;
    const float air = filterC_.process(rng_.bipolar()).high * decay_[1].next() * 0.5f;
    l = (nl + air) * env;
    r = (nr + air) * env;
}

void DrumVoice::riser(float t, float& l, float& r) {
    const float x = t / length_;
    if (x >= 1.0f) {
        done_ = true;
        return;
    }
    // Swells towards the end and closes in 10 ms so the drop lands clean.
    const float fadeOut = std::min((length_ - t) / 0.01f, 1.0f);
    const float env = x * x * fadeOut;
    l = filterA_.process(rng_.bipolar()).band * env;
    r = filterB_.process(rng_.bipolar()).band * env;
}

} // namespace Sorva::Tune
