// The letterbox's rows and the DCT's block grid in a captured frame.
#include "tools/capture/FrameRegions.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

FrameRegions::FrameRegions(int width, int height) : width_(width), height_(height) {
    // Each bar covers this share of the height; a row is all bar or all
    // picture only past the one row the pass blends across the edge.
    const double bar =
        std::max(0.0, 0.5 - 0.5 * (static_cast<double>(width) / height) / pictureAspect) * height;
    const int barRows = static_cast<int>(std::floor(bar));
    pictureTop_ = static_cast<int>(std::ceil(bar));
    pictureBottom_ = height - pictureTop_;
    // The bottom bar's whole blocks start at the grid's first row; the top
    // bar's end at a block edge counted from the bottom.
    const int bottomBlocks = barRows / block * block;
    bottomBarBegin_ = height - bottomBlocks;
    topBarEnd_ = barRows - ((barRows - height) % block + block) % block;
    if (bottomBlocks == 0 || topBarEnd_ <= 0) {
        topBarEnd_ = 0;
        bottomBarBegin_ = height;
    }
}

int FrameRegions::centreTop() const {
    return pictureTop_ + (pictureBottom_ - pictureTop_) / 3;
}

int FrameRegions::centreBottom() const {
    return pictureBottom_ - (pictureBottom_ - pictureTop_) / 3;
}

} // namespace Sorva
