// Distance functions of the primitives and the boolean operations on them.
#include "tools/images/Shape.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Sorva::Images {

namespace {

float dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
float length(Vec2 a) {
    return std::sqrt(dot(a, a));
}
Vec2 rotate(Vec2 p, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return {c * p.x - s * p.y, s * p.x + c * p.y};
}

Bounds around(Vec2 centre, float rx, float ry) {
    return {centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry};
}
Bounds grow(Bounds b, float r) {
    return {b.left - r, b.top - r, b.right + r, b.bottom + r};
}
Bounds join(Bounds a, Bounds b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}
Bounds meet(Bounds a, Bounds b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}
// Bounds of the box `b` turned by `angle` about `pivot`.
Bounds turn(Bounds b, Vec2 pivot, float angle) {
    Bounds out{1e9f, 1e9f, -1e9f, -1e9f};
    for (Vec2 corner : {Vec2{b.left, b.top}, Vec2{b.right, b.top}, Vec2{b.left, b.bottom},
                        Vec2{b.right, b.bottom}}) {
        const Vec2 p = pivot + rotate(corner - pivot, angle);
        out = join(out, {p.x, p.y, p.x, p.y});
    }
    return out;
}

} // namespace

Vec2 polar(Vec2 centre, float radius, float angle) {
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

Shape circle(Vec2 centre, float radius) {
    return {grow(around(centre, radius, radius), 1.0f),
            [=](Vec2 p) { return length(p - centre) - radius; }};
}

Shape ellipse(Vec2 centre, Vec2 radii, float angle) {
    const float reach = std::max(radii.x, radii.y);
    const Bounds bounds =
        angle == 0.0f ? around(centre, radii.x, radii.y) : around(centre, reach, reach);
    return {grow(bounds, 1.0f), [=](Vec2 p) {
                const Vec2 q = rotate(p - centre, -angle);
                const float k0 = length({q.x / radii.x, q.y / radii.y});
                const float k1 = length({q.x / (radii.x * radii.x), q.y / (radii.y * radii.y)});
                return k1 > 0.0f ? k0 * (k0 - 1.0f) / k1 : -std::min(radii.x, radii.y);
            }};
}

Shape box(Vec2 centre, Vec2 half, float corner, float angle) {
    const Bounds straight = around(centre, half.x, half.y);
    return {grow(turn(straight, centre, angle), 1.0f), [=](Vec2 p) {
                const Vec2 q = rotate(p - centre, -angle);
                const Vec2 d{std::abs(q.x) - half.x + corner, std::abs(q.y) - half.y + corner};
                return length({std::max(d.x, 0.0f), std::max(d.y, 0.0f)}) +
                       std::min(std::max(d.x, d.y), 0.0f) - corner;
            }};
}

Shape capsule(Vec2 a, Vec2 b, float ra, float rb) {
    const float reach = std::max(ra, rb);
    const Bounds bounds = grow(join({a.x, a.y, a.x, a.y}, {b.x, b.y, b.x, b.y}), reach + 1.0f);
    // A cone between two circles, measured with a single square root.
    const Vec2 ba = b - a;
    const float l2 = dot(ba, ba);
    const float rr = ra - rb;
    const float a2 = l2 - rr * rr;
    if (a2 <= 0.0f) // one end's circle holds the other
        return ra >= rb ? circle(a, ra) : circle(b, rb);
    return {bounds, [=](Vec2 p) {
                const Vec2 pa = p - a;
                const float y = dot(pa, ba);
                const float z = y - l2;
                const Vec2 side = pa * l2 - ba * y;
                const float x2 = dot(side, side);
                const float y2 = y * y * l2;
                const float z2 = z * z * l2;
                const float k = (rr > 0.0f ? 1.0f : -1.0f) * rr * rr * x2;
                if ((z > 0.0f ? 1.0f : -1.0f) * a2 * z2 > k)
                    return std::sqrt(x2 + z2) / l2 - rb;
                if ((y > 0.0f ? 1.0f : -1.0f) * a2 * y2 < k)
                    return std::sqrt(x2 + y2) / l2 - ra;
                return (std::sqrt(x2 * a2 / l2) + y * rr) / l2 - ra;
            }};
}

Shape polygon(std::vector<Vec2> points) {
    Bounds bounds{1e9f, 1e9f, -1e9f, -1e9f};
    for (Vec2 v : points)
        bounds = join(bounds, {v.x, v.y, v.x, v.y});
    return {grow(bounds, 1.0f), [points = std::move(points)](Vec2 p) {
                float nearest = dot(p - points[0], p - points[0]);
                float sign = 1.0f;
                for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                    const Vec2 e = points[j] - points[i];
                    const Vec2 w = p - points[i];
                    const Vec2 b = w - e * std::clamp(dot(w, e) / dot(e, e), 0.0f, 1.0f);
                    nearest = std::min(nearest, dot(b, b));
                    // Crossings of a ray towards +x decide inside or out.
                    const bool c0 = p.y >= points[i].y,
                               c1 = p.y<points[j].y, c2 = e.x * w.y> e.y * w.x;
                    if ((c0 && c1 && c2) || (!c0 && !c1 && !c2))
                        sign = -sign;
                }
                return sign * std::sqrt(nearest);
            }};
}

Shape polyline(const std::vector<Vec2>& points, float radius) {
    Shape line = capsule(points[0], points[1], radius);
    for (std::size_t i = 2; i < points.size(); ++i)
        line = line | capsule(points[i - 1], points[i], radius);
    return line;
}

Shape almond(Vec2 centre, Vec2 half, float angle) {
    const float r = (half.x * half.x + half.y * half.y) / (2.0f * half.y);
    const Shape lens =
        circle({centre.x, centre.y + r - half.y}, r) & circle({centre.x, centre.y - r + half.y}, r);
    return angle == 0.0f ? lens : rotated(lens, centre, angle);
}

Shape arc(Vec2 centre, float radius, float halfWidth, float from, float to) {
    std::vector<Vec2> wedge{centre};
    const int steps = static_cast<int>(std::ceil(std::abs(to - from) / 0.5f));
    for (int i = 0; i <= steps; ++i)
        wedge.push_back(polar(centre, 2.0f * radius + halfWidth, from + (to - from) * i / steps));
    return (outline(circle(centre, radius), halfWidth) & polygon(std::move(wedge))) |
           circle(polar(centre, radius, from), halfWidth) |
           circle(polar(centre, radius, to), halfWidth);
}

Shape operator|(const Shape& a, const Shape& b) {
    return {join(a.bounds(), b.bounds()),
            [=](Vec2 p) { return std::min(a.distance(p), b.distance(p)); }};
}

Shape operator&(const Shape& a, const Shape& b) {
    return {meet(a.bounds(), b.bounds()),
            [=](Vec2 p) { return std::max(a.distance(p), b.distance(p)); }};
}

Shape operator-(const Shape& a, const Shape& b) {
    return {a.bounds(), [=](Vec2 p) { return std::max(a.distance(p), -b.distance(p)); }};
}

Shape blend(const Shape& a, const Shape& b, float k) {
    return {grow(join(a.bounds(), b.bounds()), k), [=](Vec2 p) {
                const float da = a.distance(p), db = b.distance(p);
                const float h = std::clamp(0.5f + 0.5f * (db - da) / k, 0.0f, 1.0f);
                return db + (da - db) * h - k * h * (1.0f - h);
            }};
}

Shape outline(const Shape& s, float halfWidth) {
    return {grow(s.bounds(), halfWidth),
            [=](Vec2 p) { return std::abs(s.distance(p)) - halfWidth; }};
}

Shape grown(const Shape& s, float radius) {
    return {grow(s.bounds(), std::max(radius, 0.0f)),
            [=](Vec2 p) { return s.distance(p) - radius; }};
}

Shape rotated(const Shape& s, Vec2 pivot, float angle) {
    return {turn(s.bounds(), pivot, angle),
            [=](Vec2 p) { return s.distance(pivot + rotate(p - pivot, -angle)); }};
}

Shape translated(const Shape& s, Vec2 offset) {
    const Bounds b = s.bounds();
    return {{b.left + offset.x, b.top + offset.y, b.right + offset.x, b.bottom + offset.y},
            [=](Vec2 p) { return s.distance(p - offset); }};
}

Shape mirrored(const Shape& s, float axis) {
    const Bounds b = s.bounds();
    return {{2 * axis - b.right, b.top, 2 * axis - b.left, b.bottom}, [=](Vec2 p) {
                return s.distance({2 * axis - p.x, p.y});
            }};
}

} // namespace Sorva::Images
