// A grid of floats, one value a pixel: coverage masks, height fields and
// single channels of the generated images.
#pragma once

#include <cstddef>
#include <vector>

namespace Sorva::Images {

class Plane {
public:
    Plane(int width, int height)
        : width_(width), height_(height), values_(static_cast<std::size_t>(width) * height, 0.0f) {}

    int width() const { return width_; }
    int height() const { return height_; }
    float& at(int x, int y) { return values_[static_cast<std::size_t>(y) * width_ + x]; }
    float at(int x, int y) const { return values_[static_cast<std::size_t>(y) * width_ + x]; }
    // Indices taken modulo the size, for pictures that tile.
    float wrapped(int x, int y) const;

    // Raises each value to at least the one of `source` placed with its
    // top-left corner at (left, top); the parts outside are dropped.
    void stampMax(const Plane& source, int left, int top);

private:
    int width_;
    int height_;
    std::vector<float> values_;
};

// How a blur reads beyond the edges.
enum class Edge {
    wrap,  // the picture repeats: tiles stay tileable
    empty, // zero outside: a glow fades out inside the picture
};

// Separable Gaussian blur with standard deviation sigma pixels.
Plane gaussianBlur(const Plane& source, float sigma, Edge edge);

} // namespace Sorva::Images
