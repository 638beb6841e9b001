// Limiter: the gain needed by each frame is held as a minimum over the
// look-ahead window, released slowly, then averaged over the same window, so
// the gain has reached its value by the time the frame leaves the delay line.
#include "tools/tune/Limiter.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Tune {

Limiter::Limiter(float ceiling, int lookahead, float release, float sampleRate)
    : ceiling_(ceiling), lookahead_(std::max(lookahead, 2)),
      releaseCoef_(std::exp(-1.0f / (release * sampleRate))),
      delayL_(static_cast<size_t>(lookahead_ - 1), 0.0f),
      delayR_(static_cast<size_t>(lookahead_ - 1), 0.0f),
      wanted_(static_cast<size_t>(lookahead_), 1.0f),
      smoothed_(static_cast<size_t>(lookahead_), 1.0f), sum_(lookahead_) {}

void Limiter::process(float* l, float* r, int n) {
    const size_t size = static_cast<size_t>(lookahead_);
    for (int i = 0; i < n; ++i) {
        const float peak = std::max(std::abs(l[i]), std::abs(r[i]));
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
