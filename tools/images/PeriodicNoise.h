// Seeded noise that repeats every `period` lattice cells in x and y, so a
// picture spanning whole periods tiles without seams.
#pragma once

#include <cstdint>

namespace Sorva::Images {

class PeriodicNoise {
public:
    explicit PeriodicNoise(std::uint32_t seed) : seed_(seed) {}

    // Gradient noise at (x, y) in lattice cells, about [-1, 1], repeating
    // every periodX cells in x and periodY in y; `octave` picks an
    // independent lattice, so summed octaves do not line up.
    float gradient(float x, float y, int periodX, int periodY, int octave = 0) const;
    // Sum of `octaves` gradient octaves from `period` cells up, each twice
    // as fine and `gain` times as strong as the last; (u, v) in tiles.
    float fractal(float u, float v, int period, int octaves, float gain = 0.5f) const;
    // Distance from (x, y) to the nearest of one random point per cell, in
    // cells: 0 at the points.
    float cellular(float x, float y, int period) const;

private:
    std::uint32_t hash(int x, int y, int periodX, int periodY, int salt) const;

    std::uint32_t seed_;
};

} // namespace Sorva::Images
