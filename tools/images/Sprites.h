// The particle ball's sprite pictures: shapes with alpha that its particles
// fill, white or lightly tinted on transparency. Words are set in the bold
// font; things are pictograms drawn from signed-distance shapes.
#pragma once

#include "tools/images/Font.h"
#include "tools/images/RgbaImage.h"

#include <span>
#include <string_view>
#include <vector>

namespace Sorva::Images {

struct SpriteDrawing {
    std::string_view file;
    RgbaImage (*draw)(const Font& font);
};

// Every sprite halvo-images draws, by file name (the titles, which are
// sprites too, are drawn as titles).
std::vector<SpriteDrawing> spriteDrawings();

// The parts of that list, one file each.
std::span<const SpriteDrawing> wordSprites();
std::span<const SpriteDrawing> figureSprites();
std::span<const SpriteDrawing> thingSprites();
std::span<const SpriteDrawing> sceneSprites();

// Light tints the sprites share; particles take their colour from them.
namespace Tint {
inline constexpr Rgba white{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr Rgba warm{1.0f, 0.93f, 0.8f, 1.0f};
inline constexpr Rgba gold{1.0f, 0.84f, 0.5f, 1.0f};
inline constexpr Rgba rose{1.0f, 0.72f, 0.74f, 1.0f};
inline constexpr Rgba red{1.0f, 0.5f, 0.45f, 1.0f};
inline constexpr Rgba sky{0.76f, 0.88f, 1.0f, 1.0f};
inline constexpr Rgba sea{0.62f, 0.85f, 0.95f, 1.0f};
inline constexpr Rgba leaf{0.72f, 0.95f, 0.7f, 1.0f};
inline constexpr Rgba stone{0.86f, 0.84f, 0.8f, 1.0f};
inline constexpr Rgba lilac{0.85f, 0.78f, 1.0f, 1.0f};
} // namespace Tint

// `text` set with its ink as large as fits in maxWidth x maxHeight pixels.
SetText setToFit(const Font& font, std::string_view text, float maxWidth, float maxHeight);

} // namespace Sorva::Images
