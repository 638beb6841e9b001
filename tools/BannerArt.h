// The art of the setup dialog's banner: a title in the pixel font over a
// particle field and a grid floor under a low sun. Drawn at the banner's
// 315 x 157, or as the program's square icon with the title's first letter.
#pragma once

#include <cstdint>
#include <vector>

namespace Sorva {

constexpr int bannerWidth = 315;
constexpr int bannerHeight = 157;

// The banner: bannerWidth x bannerHeight pixels, 8-bit RGB, rows top first.
std::vector<std::uint8_t> drawBanner();

// The icon, size x size pixels (16 to 256), 8-bit RGBA, rows top first: drawn
// at 256 and averaged down, so that every size shows the same picture.
std::vector<std::uint8_t> drawIcon(int size);

} // namespace Sorva
