// A picture painted with anti-aliased shapes and coverage planes, layer over
// layer, and saved premultiplied like the titles.
#pragma once

#include "tools/images/Plane.h"
#include "tools/images/RgbaImage.h"
#include "tools/images/Shape.h"

#include <initializer_list>
#include <vector>

namespace Sorva::Images {

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Paints `colour` (straight; its alpha is the opacity) over the picture
    // inside the shape.
    void fill(const Shape& shape, Rgba colour);
    // The same inside a coverage plane placed with its corner at (left, top).
    void fill(const Plane& coverage, int left, int top, Rgba colour);
    // Makes the picture transparent inside the shape.
    void cut(const Shape& shape);
    void cut(const Plane& coverage, int left, int top);
    // Paints `shape` with a gap of `gap` pixels cut around it first, so that
    // it stands apart from what lies beneath.
    void inset(const Shape& shape, Rgba colour, float gap = 2.5f);
    // Multiplies the colours by a gradient through `stops` from the top row
    // to the bottom row.
    void tint(std::initializer_list<Rgba> stops);

    RgbaImage image() const;

private:
    // Calls paint(pixel, coverage) for each pixel the shape touches.
    template <class Paint> void cover(const Shape& shape, Paint paint);
    Rgba& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    int width_;
    int height_;
    std::vector<Rgba> pixels_; // premultiplied
};

} // namespace Sorva::Images
