// Coverage of a shape at a pixel is its distance from the pixel's centre
// mapped onto a one-pixel ramp: analytic anti-aliasing.
#include "tools/images/Canvas.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Images {

namespace {

void over(Rgba& pixel, Rgba colour, float coverage) {
    const float a = coverage * colour.a;
    pixel = {colour.r * a + pixel.r * (1.0f - a), colour.g * a + pixel.g * (1.0f - a),
             colour.b * a + pixel.b * (1.0f - a), a + pixel.a * (1.0f - a)};
}

void erase(Rgba& pixel, float coverage) {
    const float keep = 1.0f - coverage;
    pixel = {pixel.r * keep, pixel.g * keep, pixel.b * keep, pixel.a * keep};
}

} // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * height, Rgba{0, 0, 0, 0}) {}

template <class Paint> void Canvas::cover(const Shape& shape, Paint paint) {
    const Bounds& b = shape.bounds();
    const int x0 = std::max(0, static_cast<int>(std::floor(b.left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(b.top)));
    const int x1 = std::min(width_, static_cast<int>(std::ceil(b.right)) + 1);
    const int y1 = std::min(height_, static_cast<int>(std::ceil(b.bottom)) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float d = shape.distance({x + 0.5f, y + 0.5f});
            if (d < 0.5f)
                paint(at(x, y), std::min(1.0f, 0.5f - d));
        }
}

void Canvas::fill(const Shape& shape, Rgba colour) {
    cover(shape, [&](Rgba& pixel, float c) { over(pixel, colour, c); });
}

void Canvas::cut(const Shape& shape) {
    cover(shape, [](Rgba& pixel, float c) { erase(pixel, c); });
}

void Canvas::inset(const Shape& shape, Rgba colour, float gap) {
    cut(grown(shape, gap));
    fill(shape, colour);
}

void Canvas::fill(const Plane& coverage, int left, int top, Rgba colour) {
    for (int y = std::max(0, -top); y < coverage.height() && top + y < height_; ++y)
        for (int x = std::max(0, -left); x < coverage.width() && left + x < width_; ++x)
            over(at(left + x, top + y), colour, coverage.at(x, y));
}

void Canvas::cut(const Plane& coverage, int left, int top) {
    for (int y = std::max(0, -top); y < coverage.height() && top + y < height_; ++y)
        for (int x = std::max(0, -left); x < coverage.width() && left + x < width_; ++x)
            erase(at(left + x, top + y), coverage.at(x, y));
}

void Canvas::tint(std::initializer_list<Rgba> stops) {
    const std::vector<Rgba> s(stops);
    for (int y = 0; y < height_; ++y) {
        const float t = s.size() < 2 ? 0.0f : y * (s.size() - 1.0f) / std::max(1, height_ - 1);
        const std::size_t i = std::min(static_cast<std::size_t>(t), s.size() - 1);
        const std::size_t j = std::min(i + 1, s.size() - 1);
        const float f = t - static_cast<float>(i);
        const Rgba k{s[i].r + (s[j].r - s[i].r) * f, s[i].g + (s[j].g - s[i].g) * f,
                     s[i].b + (s[j].b - s[i].b) * f, 1.0f};
        for (int x = 0; x < width_; ++x) {
            Rgba& p = at(x, y);
            p = {p.r * k.r, p.g * k.g, p.b * k.b, p.a};
        }
    }
}

RgbaImage Canvas::image() const {
    RgbaImage image(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            image.set(x, y, pixels_[static_cast<std::size_t>(y) * width_ + x]);
    return image;
}

} // namespace Sorva::Images
