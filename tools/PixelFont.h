// A 5 x 7 pixel font for text drawn by the tools: the setup dialog's banner,
// the capture tool's contact sheet labels and edit mode's heads-up display.
#pragma once

#include <array>
#include <string_view>

namespace Sorva {

struct PixelGlyph {
    static constexpr int width = 5;
    static constexpr int height = 7;

    char letter;
    // One string per row, top first; '#' is lit.
    std::array<std::string_view, height> rows;

    bool lit(int column, int row) const { return rows[row][column] == '#'; }
};

// The glyph of c (letters in either case draw as capitals), or null for a
// character the font lacks; a space has a glyph with nothing lit.
const PixelGlyph* pixelGlyph(char c);

} // namespace Sorva
