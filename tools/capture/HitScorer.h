// Whether the picture answers a moment of the music: within two frames
// either side, the mean brightness jumps up from one frame to the next, or
// the frame-to-frame change spikes above what it was just before. Hits are
// scored against the same test at times away from every hit, so that a
// picture busy enough to pass it anywhere shows as such.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace Sorva {

class HitScorer {
public:
    static constexpr int window = 2; // frames either side of the moment
    // A rise of the picture's mean luma (of 255) from one frame to the next.
    static constexpr double riseLevel = 4.0;
    // Motion (mean absolute luma change, of 255) this much above the median
    // of the six frames before the window.
    static constexpr double spikeLevel = 3.0;
    static constexpr int baseline = 6;

    struct Score {
        int count = 0;
        int answered = 0;
        double share() const { return count > 0 ? static_cast<double>(answered) / count : 0.0; }
    };

    // The picture's mean luma and motion, one each a frame, frame 0 first.
    HitScorer(std::vector<double> luma, std::vector<double> motion);

    // Whether the frames around this one answer it; frames outside the
    // series are not looked at.
    bool answers(std::int64_t frame) const;
    // How many of these moments are answered; those outside the series are
    // not counted.
    Score score(std::span<const std::int64_t> frames) const;

    // The frames of [begin, end) more than 2 * window frames from every
    // hit, so that no window of theirs overlaps a hit's.
    static std::vector<std::int64_t> quietFrames(std::span<const std::int64_t> hits,
                                                 std::int64_t begin, std::int64_t end);

private:
    std::vector<double> luma_;
    std::vector<double> motion_;
};

} // namespace Sorva
