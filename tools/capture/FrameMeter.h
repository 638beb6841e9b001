// The show report's measures of one captured frame: how bright the picture
// is, overall and in its centre, how much it changed since the frame
// before, how many glitch blocks it shows and what colour its bars are.
#pragma once

#include "tools/capture/FrameRegions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Sorva {

struct FrameMeasures {
    // Luma (0.299 R + 0.587 G + 0.114 B, of 255) of the picture between
    // the bars, averaged.
    double luma = 0.0;
    // The same over the picture's middle third each way, and its standard
    // deviation there: something stands in the centre when both are up.
    double centreLuma = 0.0;
    double centreDetail = 0.0;
    // Mean absolute luma change from the frame measured before; 0 for the
    // first.
    double motion = 0.0;
    int glitchBlocks = 0;
    // Mean R, G, B of the bars' own blocks; none without bars.
    std::optional<std::array<double, 3>> bars;
};

class FrameMeter {
public:
    FrameMeter(int width, int height);

    const FrameRegions& regions() const { return regions_; }

    // rgb: width x height pixels, 8 bits a channel, top row first. Frames
    // are measured in order, each against the one before.
    FrameMeasures measure(const std::uint8_t* rgb);

private:
    FrameRegions regions_;
    std::vector<float> luma_;
    std::vector<float> previous_;
    bool hasPrevious_ = false;
};

} // namespace Sorva
