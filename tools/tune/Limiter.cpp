// Limiter: the gain needed by each frame is held as a minimum over the
// look-ahead window, released slowly, then averaged over the same window, so
// the gain has reached its value by the time the frame leaves the delay line.
// The need of a frame is known taps / 2 frames late (the interpolator looks
// ahead), so the audio waits that much longer.
#include "tools/tune/Limiter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Sorva::Tune {

Limiter::Limiter(float ceiling, int lookahead, float release, float sampleRate)
    : ceiling_(ceiling), lookahead_(std::max(lookahead, 2)),
      releaseCoef_(std::exp(-1.0f / (release * sampleRate))),
      delayL_(static_cast<size_t>(lookahead_ - 1 + taps / 2), 0.0f),
      delayR_(static_cast<size_t>(lookahead_ - 1 + taps / 2), 0.0f),
      wanted_(static_cast<size_t>(lookahead_), 1.0f),
      smoothed_(static_cast<size_t>(lookahead_), 1.0f), sum_(lookahead_) {
    // Windowed sinc at fractions 1/4, 2/4, 3/4 past the middle tap, each
    // phase normalised to unity gain at DC.
    for (int p = 0; p < phases; ++p) {
        const double frac = (p + 1) / double(phases + 1);
        double sum = 0.0;
        for (int k = 0; k < taps; ++k) {
            const double x = k - (taps / 2 - 1) - frac;
            const double sinc = std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * x / (taps / 2));
            kernel_[p][k] = static_cast<float>(sinc * window);
            sum += kernel_[p][k];
        }
        for (float& h : kernel_[p])
            h = static_cast<float>(h / sum);
    }
}

float Limiter::truePeak() const {
    // history[historyPos_ .. + taps) holds the last taps inputs, oldest first.
    const float* l = historyL_.data() + historyPos_;
    const float* r = historyR_.data() + historyPos_;
    float peak = std::max(std::abs(l[taps / 2 - 1]), std::abs(r[taps / 2 - 1]));
    for (const auto& h : kernel_) {
        float yl = 0.0f;
        float yr = 0.0f;
        for (int k = 0; k < taps; ++k) {
            yl += h[k] * l[k];
            yr += h[k] * r[k];
        }
        peak = std::max(peak, std::max(std::abs(yl), std::abs(yr)));
    }
    return peak;
}

void Limiter::process(float* l, float* r, int n) {
    const size_t size = static_cast<size_t>(lookahead_);
    for (int i = 0; i < n; ++i) {
        historyL_[historyPos_] = historyL_[historyPos_ + taps] = l[i];
        historyR_[historyPos_] = historyR_[historyPos_ + taps] = r[i];
        if (++historyPos_ == taps)
            historyPos_ = 0;
        // The frame taps / 2 back, and what follows it up to the next frame.
        const float peak = truePeak();
        const float want = peak > ceiling_ ? ceiling_ / peak : 1.0f;
        wanted_[pos_] = want;
        // Minimum over the window: rescan only when the minimum just left it.
        if (want <= held_) {
            held_ = want;
            heldPos_ = pos_;
        } else if (heldPos_ == pos_) {
            heldPos_ = static_cast<size_t>(std::min_element(wanted_.begin(), wanted_.end()) -
                                           wanted_.begin());
            held_ = wanted_[heldPos_];
        }
        const float held = held_;
        released_ = std::min(held, held + releaseCoef_ * (released_ - held));
        sum_ += released_ - smoothed_[pos_];
        smoothed_[pos_] = released_;
        const float gain = std::min(1.0f, static_cast<float>(sum_ / lookahead_));
        minGain_ = std::min(minGain_, gain);

        // A frame leaves the delay line when the window no longer holds its own need.
        const float outL = delayL_[delayPos_];
        const float outR = delayR_[delayPos_];
        delayL_[delayPos_] = l[i];
        delayR_[delayPos_] = r[i];
        if (++delayPos_ == delayL_.size())
            delayPos_ = 0;
        // The average can lag by float rounding; the clamp keeps the promise.
        l[i] = std::clamp(outL * gain, -ceiling_, ceiling_);
        r[i] = std::clamp(outR * gain, -ceiling_, ceiling_);
        if (++pos_ == size)
            pos_ = 0;
    }
}

} // namespace Sorva::Tune
