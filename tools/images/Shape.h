// Signed-distance shapes in pixel units (negative inside, y down), built from
// primitives and boolean operations, for drawing pictograms with clean edges.
#pragma once

#include <functional>
#include <vector>

namespace Sorva::Images {

struct Vec2 {
    float x, y;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}
// The point at `radius` from `centre` in direction `angle` (radians, clockwise
// on screen from the +x axis).
Vec2 polar(Vec2 centre, float radius, float angle);

// Axis-aligned box that holds every point closer than a pixel to the shape.
struct Bounds {
    float left, top, right, bottom;
};

class Shape {
public:
    using Distance = std::function<float(Vec2)>;
    Shape(Bounds bounds, Distance distance) : bounds_(bounds), distance_(std::move(distance)) {}

    float distance(Vec2 p) const { return distance_(p); }
    const Bounds& bounds() const { return bounds_; }

private:
    Bounds bounds_;
    Distance distance_;
};

Shape circle(Vec2 centre, float radius);
// Rotated by `angle` radians about its centre; the distance is approximate
// away from the edge, exact enough on it for anti-aliasing.
Shape ellipse(Vec2 centre, Vec2 radii, float angle = 0.0f);
// Half-size `half`, corners rounded with radius `corner`, rotated by `angle`.
Shape box(Vec2 centre, Vec2 half, float corner = 0.0f, float angle = 0.0f);
// The segment a-b thickened to radius ra at a and rb at b.
Shape capsule(Vec2 a, Vec2 b, float ra, float rb);
inline Shape capsule(Vec2 a, Vec2 b, float radius) {
    return capsule(a, b, radius, radius);
}
// Simple polygon, either winding.
Shape polygon(std::vector<Vec2> points);
// Capsules along the points.
Shape polyline(const std::vector<Vec2>& points, float radius);
// A pointed oval (two circles' overlap) of half-size `half`, tips left and right.
Shape almond(Vec2 centre, Vec2 half, float angle = 0.0f);
// The circle's edge thickened to `halfWidth`, from angle `from` to `to`
// (radians, clockwise on screen; less than a full turn), ends rounded.
Shape arc(Vec2 centre, float radius, float halfWidth, float from, float to);

Shape operator|(const Shape& a, const Shape& b); // union
Shape operator&(const Shape& a, const Shape& b); // intersection
Shape operator-(const Shape& a, const Shape& b); // a without b
// Union that fills the crease between a and b over about k pixels.
Shape blend(const Shape& a, const Shape& b, float k);
// The band of half-width `halfWidth` along the shape's edge.
Shape outline(const Shape& s, float halfWidth);
// The shape grown by `radius` (negative shrinks), rounding its corners.
Shape grown(const Shape& s, float radius);
Shape rotated(const Shape& s, Vec2 pivot, float angle);
Shape translated(const Shape& s, Vec2 offset);
// The shape reflected about the vertical line x = axis.
Shape mirrored(const Shape& s, float axis);

} // namespace Sorva::Images
