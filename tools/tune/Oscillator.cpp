// PolyBLEP oscillator: a naive waveform with its discontinuities smoothed by a
// two-sample polynomial residual.
#include "tools/tune/Oscillator.h"

#include <cmath>

namespace Sorva::Tune {

Oscillator::Oscillator(Wave wave, double phase) : wave_(wave), phase_(phase - std::floor(phase)) {
    // The triangle integrates the square; start it on its own curve so it has no offset.
    triangle_ = static_cast<float>(phase_ < 0.5 ? -1.0 + 4.0 * phase_ : 3.0 - 4.0 * phase_);
}

} // namespace Sorva::Tune
