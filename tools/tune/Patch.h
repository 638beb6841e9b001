// The sound of one synthesiser instrument: oscillators, envelopes, filter and
// pitch modulation, shared by every note that instrument plays.
#pragma once

#include "tools/tune/Oscillator.h"

namespace Sorva::Tune {

struct Patch {
    Wave wave = Wave::Saw;
    int oscillators = 1;      // detuned copies of the wave
    float detuneCents = 0.0f; // spread between the outermost copies
    float width = 0.0f;       // stereo spread of the copies, 0 (mono) .. 1
    float squareMix = 0.0f;   // a square one octave up, for bite
    float subLevel = 0.0f;    // a sine one octave down
    float drive = 0.0f;       // soft saturation before the filter
    float gain = 1.0f;

    float attack = 0.005f;
    float decay = 0.2f;
    float sustain = 1.0f;
    float release = 0.1f;

    float resonance = 0.7f;  // filter Q
    float keyTrack = 0.5f;   // cutoff follows pitch, in octaves per octave
    float envOctaves = 0.0f; // filter envelope depth
    float filterAttack = 0.001f;
    float filterDecay = 0.2f;
    float filterSustain = 0.0f;

    float vibratoCents = 0.0f;
    float vibratoHz = 5.0f;
    float vibratoDelay = 0.0f; // seconds before the vibrato fades in
};

} // namespace Sorva::Tune
