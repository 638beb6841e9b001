// An 8-bit RGBA picture, filled from floats in [0, 1] and saved as PNG.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace Sorva::Images {

struct Rgba {
    float r, g, b, a;
};

class RgbaImage {
public:
    RgbaImage(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // Clamps each channel to [0, 1] and rounds it to 8 bits.
    void set(int x, int y, Rgba colour);

    // Writes the picture as PNG (no time stamp: the same picture gives the
    // same bytes); throws std::runtime_error naming the file when it cannot.
    void save(const std::filesystem::path& path) const;

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace Sorva::Images
