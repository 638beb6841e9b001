// A Windows icon file (.ico) holding one picture per size.
#pragma once

#include <cstdint>
#include <vector>

namespace Sorva {

struct IconPicture {
    int size;                       // square, 1 to 256 pixels a side
    std::vector<std::uint8_t> rgba; // size x size, 8-bit RGBA, rows top first
};

// The bytes of an .ico with the pictures in the given order: 256 px as PNG,
// as Windows reads it since Vista, smaller ones as 32-bit bitmaps, which
// every reader of icons takes.
std::vector<std::uint8_t> iconFile(const std::vector<IconPicture>& pictures);

} // namespace Sorva
