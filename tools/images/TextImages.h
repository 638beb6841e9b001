// Titles and greetings: white text on transparency with a soft icy glow.
// Colours are premultiplied by alpha, so the pictures also look right added
// onto a picture or drawn as additive sprites.
#pragma once

#include "tools/images/Font.h"
#include "tools/images/RgbaImage.h"

#include <span>
#include <string>
#include <string_view>

namespace Sorva::Images {

// 1024 x 256, the text centred and as large as fits, at most `maxHeight`
// pixels from its highest to lowest ink.
RgbaImage makeTitle(const Font& font, std::string_view text, float maxHeight = 150.0f);

// 1024 x 512: `heading` spaced out in `headingFont` above a rule, then the
// names in two columns in `nameFont`.
RgbaImage makeGreets(const Font& headingFont, const Font& nameFont, std::string_view heading,
                     std::span<const std::string_view> names);

} // namespace Sorva::Images
