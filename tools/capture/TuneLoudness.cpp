// K-weighting (a high shelf, then a high pass) made for 44.1 kHz from its
// analogue design, and the running sum of the weighted energy per block.
#include "tools/capture/TuneLoudness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace Sorva {

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;

    double step(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

Biquad shelf(double rate) {
    constexpr double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(std::numbers::pi * f0 / rate);
    const double vh = std::pow(10.0, gain / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPass(double rate) {
    constexpr double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(std::numbers::pi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

} // namespace

TuneLoudness::TuneLoudness(std::span<const std::int16_t> samples, double rowsPerSecond)
    : rowsPerSecond_(rowsPerSecond) {
    std::array<Biquad, 2> shelves{shelf(sampleRate), shelf(sampleRate)};
    std::array<Biquad, 2> passes{highPass(sampleRate), highPass(sampleRate)};
    const std::size_t frames = samples.size() / 2;
    energy_.reserve(frames / block + 1);
    energy_.push_back(0.0);
    double sum = 0.0;
    for (std::size_t i = 0; i + block <= frames; i += block) {
        for (std::size_t j = i; j < i + block; ++j)
            for (std::size_t c = 0; c < 2; ++c) {
                const double y = passes[c].step(shelves[c].step(samples[2 * j + c] / 32768.0));
                sum += y * y;
            }
        energy_.push_back(sum);
    }
}

double TuneLoudness::overSeconds(double from, double to) const {
    const auto blocks = static_cast<double>(energy_.size() - 1);
    const double first = std::clamp(std::round(from * sampleRate / block), 0.0, blocks);
    const double end = std::clamp(std::round(to * sampleRate / block), 0.0, blocks);
    if (!(end > first))
        return floor;
    const auto a = static_cast<std::size_t>(first), b = static_cast<std::size_t>(end);
    const double meanSquare = (energy_[b] - energy_[a]) / ((end - first) * block);
    if (!(meanSquare > 0.0))
        return floor;
    return std::max(floor, -0.691 + 10.0 * std::log10(meanSquare));
}

double TuneLoudness::overRows(double from, double to) const {
    return overSeconds(from / rowsPerSecond_, to / rowsPerSecond_);
}

} // namespace Sorva
