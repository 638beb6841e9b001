// How loud the tune is over any stretch of it, for the show report: the
// K-weighted mean square of both channels, in LUFS, as loudness meters
// weigh it, so that bars can be compared with the picture and with each
// other.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace Sorva {

class TuneLoudness {
public:
    static constexpr int sampleRate = 44100;
    // Stretches are measured in whole blocks of this many samples (10 ms).
    static constexpr int block = 441;
    // What silence reads, LUFS: the loudness meters' absolute gate.
    static constexpr double floor = -70.0;

    // samples: interleaved stereo, 16 bits, at sampleRate; rowsPerSecond
    // turns the show's rows into the tune's time.
    TuneLoudness(std::span<const std::int16_t> samples, double rowsPerSecond);

    // The loudness of the rows [from, to), no lower than floor; floor for
    // a stretch outside the tune or shorter than a block.
    double overRows(double from, double to) const;
    double overSeconds(double from, double to) const;

private:
    double rowsPerSecond_;
    std::vector<double> energy_; // summed weighted squares before each block
};

} // namespace Sorva
