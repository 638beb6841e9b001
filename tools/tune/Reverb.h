// Stereo room reverb: parallel damped comb filters into series all-passes,
// slightly different delays per side for width.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace Sorva::Tune {

class Reverb {
public:
    // size: 0 (small) .. 1 (long tail); damping: 0 (bright) .. 1 (dark).
    Reverb(float size, float damping, float sampleRate);

    // Feeds n frames of inL/inR and adds the reverberation (wet only) to outL/outR.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);

private:
    struct Comb {
        std::vector<float> buffer;
        size_t pos = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> buffer;
        size_t pos = 0;
    };
    static constexpr int combs = 8;
    static constexpr int allPasses = 4;

    float feedback_;
    float damping_;
    std::array<Comb, combs> combL_;
    std::array<Comb, combs> combR_;
    std::array<AllPass, allPasses> passL_;
    std::array<AllPass, allPasses> passR_;
};

} // namespace Sorva::Tune
