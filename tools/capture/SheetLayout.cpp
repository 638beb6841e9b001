// Grid, thumbnail size and frame choice of the contact sheet.
#include "tools/capture/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

namespace {

// Sheets stay around 2000 pixels wide, but thumbnails no smaller than this.
constexpr int sheetTargetWidth = 1920;
constexpr int minThumbWidth = 240;

} // namespace

SheetLayout::SheetLayout(int frameWidth, int frameHeight, int count, std::int64_t first,
                         std::int64_t end)
    : count_(count), first_(first), length_(end - first) {
    if (count < 1 || length_ < count)
        throw std::invalid_argument("a sheet of " + std::to_string(count) +
                                    " frames needs at least as many frames in the range, which "
                                    "has " +
                                    std::to_string(std::max<std::int64_t>(length_, 0)));
    columns_ = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    rows_ = (count + columns_ - 1) / columns_;
    thumbWidth_ = std::min(frameWidth, std::max(minThumbWidth, sheetTargetWidth / columns_));
    thumbHeight_ = std::max(1, static_cast<int>(std::lround(static_cast<double>(thumbWidth_) *
                                                            frameHeight / frameWidth)));
}

SheetLayout::Tile SheetLayout::tile(int index) const {
    // Evenly spaced from the first frame to the last, rounded to the nearest.
    std::int64_t frame = first_;
    if (count_ > 1) {
        const std::int64_t span = length_ - 1;
        frame += (2 * index * span + (count_ - 1)) / (2 * (count_ - 1));
    }
    const int column = index % columns_;
    const int row = index / columns_;
    return {gap + column * (thumbWidth_ + gap), gap + row * (thumbHeight_ + labelHeight + gap),
            frame};
}

} // namespace Sorva
