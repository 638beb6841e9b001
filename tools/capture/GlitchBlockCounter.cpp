// Counting green and magenta blocks with hard edges.
#include "tools/capture/GlitchBlockCounter.h"

#include "tools/capture/FrameRegions.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Sorva {

namespace {

struct Chroma {
    double cb = 0.0;
    double cr = 0.0;
};

// Mean full-range chroma of eight pixels of one row.
Chroma rowChroma(const std::uint8_t* rgb, int width, int row, int column) {
    Chroma sum;
    const std::uint8_t* p = rgb + (static_cast<std::size_t>(row) * width + column) * 3;
    for (int i = 0; i < FrameRegions::block; ++i, p += 3) {
        sum.cb += -0.168736 * p[0] - 0.331264 * p[1] + 0.5 * p[2];
        sum.cr += 0.5 * p[0] - 0.418688 * p[1] - 0.081312 * p[2];
    }
    return {sum.cb / FrameRegions::block, sum.cr / FrameRegions::block};
}

bool isGlitch(const FrameRegions& regions, const std::uint8_t* rgb, int top, int column) {
    constexpr int n = FrameRegions::block;
    // Each row's tint: the two chroma channels' mean, signed.
    std::array<double, n> tint{};
    Chroma mean;
    for (int r = 0; r < n; ++r) {
        const Chroma c = rowChroma(rgb, regions.width(), top + r, column);
        mean.cb += c.cb / n;
        mean.cr += c.cr / n;
        tint[r] = (c.cb + c.cr) / 2.0;
    }
    // Green swings both channels low, magenta both high, by about as much.
    const double low = std::min(std::abs(mean.cb), std::abs(mean.cr));
    const double high = std::max(std::abs(mean.cb), std::abs(mean.cr));
    if (mean.cb * mean.cr <= 0.0 || low < GlitchBlockCounter::minChroma || low < 0.5 * high)
        return false;

    double inside = 0.0;
    for (int r = 1; r < n; ++r)
        inside = std::max(inside, std::abs(tint[r] - tint[r - 1]));
    const double strength = std::abs(mean.cb + mean.cr) / 2.0;
    const auto hard = [&](double step) { return step >= 0.5 * strength && step >= 2.0 * inside; };
    bool edged = false;
    if (top > 0) {
        const Chroma above = rowChroma(rgb, regions.width(), top - 1, column);
        if (!hard(std::abs(tint[0] - (above.cb + above.cr) / 2.0)))
            return false;
        edged = true;
    }
    if (top + n < regions.height()) {
        const Chroma below = rowChroma(rgb, regions.width(), top + n, column);
        if (!hard(std::abs(tint[n - 1] - (below.cb + below.cr) / 2.0)))
            return false;
        edged = true;
    }
    return edged;
}

} // namespace

int GlitchBlockCounter::count(const FrameRegions& regions, const std::uint8_t* rgb) {
    int found = 0;
    for (int k = 0; k < regions.blockRows(); ++k)
        for (int i = 0; i < regions.blockColumns(); ++i)
            found += isGlitch(regions, rgb, regions.blockTop(k), i * FrameRegions::block);
    return found;
}

} // namespace Sorva
