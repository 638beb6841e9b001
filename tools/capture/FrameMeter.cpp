// Per-frame measures for the show report.
#include "tools/capture/FrameMeter.h"

#include "tools/capture/GlitchBlockCounter.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

FrameMeter::FrameMeter(int width, int height)
    : regions_(width, height), luma_(static_cast<std::size_t>(width) * height),
      previous_(luma_.size()) {}

FrameMeasures FrameMeter::measure(const std::uint8_t* rgb) {
    const int width = regions_.width();
    for (std::size_t i = 0; i < luma_.size(); ++i) {
        const std::uint8_t* p = rgb + 3 * i;
        luma_[i] = 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
    }

    FrameMeasures m;
    double sum = 0.0, change = 0.0;
    const auto rowStart = [width](int y) { return static_cast<std::size_t>(y) * width; };
    for (std::size_t i = rowStart(regions_.pictureTop()); i < rowStart(regions_.pictureBottom());
         ++i) {
        sum += luma_[i];
        change += std::abs(luma_[i] - previous_[i]);
    }
    const double pixels =
        static_cast<double>(regions_.pictureBottom() - regions_.pictureTop()) * width;
    m.luma = sum / pixels;
    m.motion = hasPrevious_ ? change / pixels : 0.0;

    double centre = 0.0, square = 0.0;
    for (int y = regions_.centreTop(); y < regions_.centreBottom(); ++y)
        for (int x = regions_.centreLeft(); x < regions_.centreRight(); ++x) {
            const double l = luma_[static_cast<std::size_t>(y) * width + x];
            centre += l;
            square += l * l;
        }
    const double centrePixels =
        static_cast<double>(regions_.centreBottom() - regions_.centreTop()) *
        (regions_.centreRight() - regions_.centreLeft());
    m.centreLuma = centre / centrePixels;
    m.centreDetail = std::sqrt(std::max(0.0, square / centrePixels - m.centreLuma * m.centreLuma));

    m.glitchBlocks = GlitchBlockCounter::count(regions_, rgb);

    if (regions_.hasBars()) {
        std::array<double, 3> bar{};
        std::size_t count = 0;
        const auto add = [&](int from, int to) {
            for (std::size_t i = rowStart(from); i < rowStart(to); ++i, ++count)
                for (int c = 0; c < 3; ++c)
                    bar[c] += rgb[3 * i + c];
        };
        add(0, regions_.topBarEnd());
        add(regions_.bottomBarBegin(), regions_.height());
        for (double& c : bar)
            c /= static_cast<double>(count);
        m.bars = bar;
    }

    luma_.swap(previous_);
    hasPrevious_ = true;
    return m;
}

} // namespace Sorva
