// A font file and the anti-aliased coverage of text set in it.
#pragma once

#include "tools/images/Plane.h"

#include <stb_truetype.h>

#include <filesystem>
#include <string_view>
#include <vector>

namespace Sorva::Images {

// Coverage of a set text, cropped to its ink; (left, top) is the crop's
// corner relative to the pen's start on the baseline (top < 0 above it).
struct SetText {
    Plane coverage;
    int left;
    int top;
};

class Font {
public:
    // Throws std::runtime_error naming the file when it cannot be read or is
    // not a font.
    explicit Font(const std::filesystem::path& file);
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // `text` (ASCII) set so that the font's ascender-to-descender height is
    // `pixelHeight`, with `tracking` times pixelHeight added between letters.
    SetText set(std::string_view text, float pixelHeight, float tracking = 0.0f) const;

private:
    std::vector<unsigned char> data_;
    stbtt_fontinfo info_;
};

} // namespace Sorva::Images
