// ADSR envelope with time constants chosen so each stage is about -60 dB done
// after its nominal time.
#include "tools/tune/Envelope.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Tune {

namespace {

float coefficientFor(float seconds, float sampleRate) {
    // Reaches 1/1000 of the distance to the target after the given time.
    const float samples = std::max(seconds * sampleRate, 1.0f);
    return std::exp(std::log(0.001f) / samples);
}

} // namespace

Envelope::Envelope(float attack, float decay, float sustain, float release, float sampleRate)
    // At least 2 ms of attack: a step from silence clicks.
    : attackStep_(1.0f / std::max(attack * sampleRate, 0.002f * sampleRate)),
      decayCoef_(coefficientFor(decay, sampleRate)), sustain_(sustain),
      releaseCoef_(coefficientFor(std::max(release, 0.002f), sampleRate)) {}

void Envelope::release() {
    if (stage_ != Stage::Done)
        stage_ = Stage::Release;
}

} // namespace Sorva::Tune
