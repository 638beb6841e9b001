// Small seeded random generator for the synthesiser: the same seed gives the
// same numbers on every run and every standard library.
#pragma once

#include <cstdint>

namespace Sorva::Tune {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    uint32_t next() {
        // xorshift64*
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    // In [0, 1).
    float uniform() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    // In [-1, 1).
    float bipolar() { return uniform() * 2.0f - 1.0f; }

private:
    uint64_t state_;
};

} // namespace Sorva::Tune
