// The contact sheet's geometry: which frames it shows and where each lands
// in a near-square grid of thumbnails with a label strip under each.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Sorva {

class SheetLayout {
public:
    static constexpr int gap = 8; // around and between tiles
    static constexpr int labelHeight = 22;

    struct Tile {
        int x, y;           // top-left of the thumbnail in the sheet
        std::int64_t frame; // the frame it shows
    };

    // `count` frames spread evenly over frames [first, end), the first and
    // the last included; throws std::invalid_argument when the range has
    // fewer frames than that.
    SheetLayout(int frameWidth, int frameHeight, int count, std::int64_t first, std::int64_t end);

    int count() const { return count_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int thumbWidth() const { return thumbWidth_; }
    int thumbHeight() const { return thumbHeight_; }
    int sheetWidth() const { return gap + columns_ * (thumbWidth_ + gap); }
    int sheetHeight() const { return gap + rows_ * (thumbHeight_ + labelHeight + gap); }

    // Tiles in frame order, filling the grid row by row.
    Tile tile(int index) const;

private:
    int count_;
    std::int64_t first_;
    std::int64_t length_;
    int columns_;
    int rows_;
    int thumbWidth_;
    int thumbHeight_;
};

} // namespace Sorva
