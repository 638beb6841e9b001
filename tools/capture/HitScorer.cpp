// Answers to hits, and the times the null test runs at.
#include "tools/capture/HitScorer.h"

#include <algorithm>

namespace Sorva {

HitScorer::HitScorer(std::vector<double> luma, std::vector<double> motion)
    : luma_(std::move(luma)), motion_(std::move(motion)) {}

bool HitScorer::answers(std::int64_t frame) const {
    const auto size = static_cast<std::int64_t>(luma_.size());
    if (frame < 0 || frame >= size)
        return false;
    // The motion just before the window: the median of what is there.
    std::vector<double> before;
    for (std::int64_t f = std::max<std::int64_t>(1, frame - window - baseline); f < frame - window;
         ++f)
        before.push_back(motion_[static_cast<std::size_t>(f)]);
    double usual = 0.0;
    if (!before.empty()) {
        const auto middle = before.begin() + static_cast<std::ptrdiff_t>(before.size() / 2);
        std::nth_element(before.begin(), middle, before.end());
        usual = *middle;
    }
    for (std::int64_t f = std::max<std::int64_t>(1, frame - window);
         f <= std::min(size - 1, frame + window); ++f) {
        const auto i = static_cast<std::size_t>(f);
        if (luma_[i] - luma_[i - 1] >= riseLevel)
            return true;
        if (!before.empty() && motion_[i] - usual >= spikeLevel)
            return true;
    }
    return false;
}

HitScorer::Score HitScorer::score(std::span<const std::int64_t> frames) const {
    Score s;
    for (const std::int64_t frame : frames) {
        if (frame < 0 || frame >= static_cast<std::int64_t>(luma_.size()))
            continue;
        ++s.count;
        s.answered += answers(frame);
    }
    return s;
}

std::vector<std::int64_t> HitScorer::quietFrames(std::span<const std::int64_t> hits,
                                                 std::int64_t begin, std::int64_t end) {
    std::vector<std::int64_t> sorted(hits.begin(), hits.end());
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::int64_t> quiet;
    auto next = sorted.begin();
    for (std::int64_t f = begin; f < end; ++f) {
        while (next != sorted.end() && *next < f - 2 * window)
            ++next;
        if (next == sorted.end() || *next > f + 2 * window)
            quiet.push_back(f);
    }
    return quiet;
}

} // namespace Sorva
