// Coefficients of the state-variable filter.
#include "tools/tune/Svf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Sorva::Tune {

void Svf::set(float cutoff, float q, float sampleRate) {
    cutoff = std::clamp(cutoff, 10.0f, 0.45f * sampleRate);
    const float g = std::tan(std::numbers::pi_v<float> * cutoff / sampleRate);
    k_ = 1.0f / std::max(q, 0.1f);
    a1_ = 1.0f / (1.0f + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

} // namespace Sorva::Tune
