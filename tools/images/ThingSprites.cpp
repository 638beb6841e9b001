// Pictograms of things: eyes, flowers, a lantern, a phone, a propeller, a
// frame, a vase, a signpost, a pistol, a stop sign, pebbles and glyphs.
#include "tools/images/Sprites.h"

#include "tools/images/Canvas.h"

#include <numbers>

namespace Sorva::Images {

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float deg = pi / 180.0f;
constexpr int side = 256;

RgbaImage eye(const Font&) {
    Canvas c(side, side);
    const Shape lids = almond({128, 128}, {112, 64});
    c.fill(lids, Tint::white);
    c.inset(circle({128, 128}, 48) & lids, Tint::sky, 4.0f);
    c.cut(circle({128, 128}, 20));
    c.fill(circle({146, 110}, 9), Tint::white);
    return c.image();
}

RgbaImage eyeLashed(const Font&) {
    Canvas c(side, side);
    const Vec2 centre{128, 150};
    const Vec2 half{100, 44};
    const Shape lids = almond(centre, half);
    c.fill(lids, Tint::white);
    c.inset(circle({150, 150}, 38) & lids, Tint::leaf, 3.5f);
    c.cut(circle({150, 150}, 15));
    c.fill(circle({163, 136}, 7), Tint::white);
    // Lashes on the upper lid's arc, and a brow.
    const float r = (half.x * half.x + half.y * half.y) / (2.0f * half.y);
    const Vec2 lidCentre{centre.x, centre.y - half.y + r};
    for (int i = -3; i <= 3; ++i) {
        const float a = (-90 + 11 * i) * deg;
        c.fill(capsule(polar(lidCentre, r - 2, a), polar(lidCentre, r + 26, a + 4 * i * deg), 4.5f,
                       1.5f),
               Tint::white);
    }
    c.fill(arc({128, 170}, 118, 8, 235 * deg, 305 * deg), Tint::white);
    return c.image();
}

void daisy(Canvas& c, Vec2 centre, float radius) {
    Shape petals = circle(centre, radius * 0.3f);
    for (int i = 0; i < 12; ++i) {
        const float a = i * 30 * deg;
        petals =
            petals | ellipse(polar(centre, radius * 0.58f, a), {radius * 0.42f, radius * 0.15f}, a);
    }
    c.inset(petals, Tint::white);
    c.inset(circle(centre, radius * 0.28f), Tint::gold);
}

RgbaImage daisies(const Font&) {
    Canvas c(side, side);
    c.fill(polyline({{70, 92}, {100, 196}, {124, 244}}, 4) |
               polyline({{180, 72}, {150, 196}, {132, 244}}, 4) |
               polyline({{124, 146}, {128, 244}}, 4) | ellipse({100, 222}, {20, 7}, -30 * deg) |
               ellipse({158, 218}, {20, 7}, 30 * deg),
           Tint::leaf);
    daisy(c, {70, 92}, 44);
    daisy(c, {180, 72}, 44);
    daisy(c, {124, 150}, 38);
    return c.image();
}

RgbaImage lantern(const Font&) {
    Canvas c(side, side);
    c.fill(arc({128, 46}, 20, 4.5f, 180 * deg, 360 * deg), Tint::white);
    c.fill(grown(polygon({{100, 66}, {156, 66}, {178, 88}, {78, 88}}), 2) | circle({128, 62}, 8),
           Tint::white);
    c.fill(box({128, 146}, {40, 52}, 4), Tint::gold);
    c.inset(capsule({128, 172}, {128, 120}, 14, 2), Tint::white, 4.0f);
    c.fill(box({82, 146}, {7, 56}, 2) | box({174, 146}, {7, 56}, 2) | box({128, 206}, {56, 10}, 3) |
               box({128, 222}, {42, 7}, 2),
           Tint::white);
    return c.image();
}

RgbaImage phone(const Font&) {
    Canvas c(side, side);
    c.fill(box({128, 128}, {56, 118}, 30), Tint::white);
    c.cut(capsule({112, 32}, {144, 32}, 3));
    c.inset(box({128, 82}, {34, 30}, 3), Tint::leaf, 5.0f);
    c.inset(ellipse({128, 138}, {38, 10}), Tint::white, 3.0f);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            c.inset(box({100.0f + 28 * col, 168.0f + 20 * row}, {12, 7}, 5), Tint::white, 2.5f);
    return c.image();
}

RgbaImage propeller(const Font&) {
    Canvas c(side, side);
    const Vec2 hub{128, 128};
    for (int i = 0; i < 3; ++i) {
        const float a = (-90 + 120 * i) * deg;
        c.fill(ellipse(polar(hub, 60, a), {58, 21}, a + 12 * deg), Tint::white);
    }
    c.inset(circle(hub, 22), Tint::sky, 3.0f);
    c.cut(circle(hub, 6));
    return c.image();
}

RgbaImage frame(const Font&) {
    Canvas c(side, side);
    const Shape outer = box({128, 138}, {108, 88}, 4);
    const Shape inner = box({128, 138}, {78, 58}, 2);
    Shape corners = circle({20, 50}, 14);
    for (Vec2 p : {Vec2{236, 50}, Vec2{20, 226}, Vec2{236, 226}})
        corners = corners | circle(p, 14);
    c.fill((outer - inner) | corners, Tint::gold);
    c.cut(outline(box({128, 138}, {93, 73}, 3), 1.5f));
    c.fill(polyline({{40, 52}, {128, 18}, {216, 52}}, 2.0f) | circle({128, 18}, 6), Tint::white);
    // A landscape in it: mountains under a sun.
    const Shape view = grown(inner, -6);
    c.fill(polygon({{56, 196}, {104, 128}, {130, 160}, {160, 118}, {200, 196}}) & view, Tint::sky);
    c.fill(circle({92, 110}, 12), Tint::white);
    return c.image();
}

void blossom(Canvas& c, Vec2 centre, Rgba colour) {
    Shape petals = circle(centre, 12);
    for (int i = 0; i < 6; ++i)
        petals = petals | circle(polar(centre, 14, i * 60 * deg), 11);
    c.inset(petals, colour);
    c.inset(circle(centre, 7), Tint::gold, 2.0f);
}

RgbaImage vase(const Font&) {
    Canvas c(side, side);
    c.fill(polyline({{128, 128}, {112, 90}, {78, 64}}, 3.5f) |
               polyline({{128, 128}, {128, 40}}, 3.5f) |
               polyline({{128, 128}, {150, 92}, {180, 66}}, 3.5f) |
               ellipse({108, 104}, {18, 6}, -50 * deg) | ellipse({150, 106}, {18, 6}, 40 * deg),
           Tint::leaf);
    blossom(c, {78, 64}, Tint::rose);
    blossom(c, {128, 40}, Tint::white);
    blossom(c, {180, 66}, Tint::rose);
    const Shape body = blend(ellipse({128, 200}, {50, 44}), box({128, 148}, {17, 24}), 14) |
                       box({128, 128}, {30, 6}, 3);
    c.inset(body, Tint::sky);
    c.cut(outline(ellipse({128, 200}, {50, 12}), 2.0f) & body);
    return c.image();
}

// A plate with a pointed end, from x0 to x1 (the point's side) at height y.
Shape arrowPlate(float x0, float x1, float y, float angle) {
    const float s = x1 > x0 ? 1.0f : -1.0f;
    return rotated(
        polygon(
            {{x0, y - 16}, {x1 - s * 20, y - 16}, {x1, y}, {x1 - s * 20, y + 16}, {x0, y + 16}}),
        {128, y}, angle);
}

RgbaImage signpost(const Font&) {
    Canvas c(side, side);
    c.fill(ellipse({128, 240}, {80, 9}), Tint::stone);
    c.fill(box({128, 146}, {7, 96}, 2) | circle({128, 48}, 9), Tint::stone);
    const struct {
        float x0, x1, y, angle;
    } plates[] = {{110, 228, 76, 6}, {146, 28, 120, -5}, {110, 212, 166, -8}};
    for (const auto& p : plates) {
        c.inset(arrowPlate(p.x0, p.x1, p.y, p.angle * deg), Tint::white, 3.0f);
        const float s = p.x1 > p.x0 ? 1.0f : -1.0f;
        c.cut(rotated(capsule({p.x0 + s * 26, p.y}, {p.x1 - s * 34, p.y}, 2.5f), {128, p.y},
                      p.angle * deg));
    }
    return c.image();
}

RgbaImage pistol(const Font&) {
    Canvas c(side, side);
    const Shape grip = grown(polygon({{70, 112}, {118, 112}, {104, 210}, {56, 210}}), 7);
    c.fill(box({140, 92}, {82, 20}, 4) | box({212, 68}, {4, 5}) | box({72, 68}, {7, 5}) |
               box({150, 118}, {64, 8}, 3) | grip | capsule({62, 86}, {48, 70}, 7, 5) |
               arc({140, 124}, 22, 4.5f, 0, 180 * deg) | capsule({134, 116}, {128, 138}, 4, 3),
           Tint::stone);
    for (int i = 0; i < 5; ++i)
        c.cut(capsule({80.0f + 7 * i, 78}, {80.0f + 7 * i, 106}, 1.5f));
    c.cut(outline(grown(polygon({{76, 132}, {108, 132}, {98, 196}, {66, 196}}), 3), 1.6f));
    return c.image();
}

RgbaImage stopSign(const Font& font) {
    Canvas c(side, side);
    auto octagon = [](float r) {
        std::vector<Vec2> points;
        for (int i = 0; i < 8; ++i)
            points.push_back(polar({128, 114}, r, (22.5f + 45 * i) * deg));
        return polygon(points);
    };
    c.fill(box({128, 234}, {7, 14}, 2), Tint::stone);
    c.fill(octagon(106), Tint::red);
    c.fill(outline(octagon(94), 4), Tint::white);
    const SetText text = setToFit(font, "STOP", 148, 70);
    c.cut(text.coverage, 128 - text.coverage.width() / 2, 114 - text.coverage.height() / 2);
    return c.image();
}

RgbaImage cairn(const Font&) {
    Canvas c(side, side);
    const struct {
        Vec2 centre, radii;
        float angle;
        Rgba tint;
    } stones[] = {{{128, 214}, {86, 30}, 0, Tint::stone},
                  {{122, 160}, {64, 26}, -4, Tint::warm},
                  {{134, 114}, {48, 22}, 5, Tint::stone},
                  {{126, 76}, {32, 17}, -6, Tint::white},
                  {{130, 46}, {17, 12}, 0, Tint::warm}};
    for (const auto& s : stones)
        c.inset(ellipse(s.centre, s.radii, s.angle * deg), s.tint, 3.0f);
    return c.image();
}

RgbaImage pebble(const Font&) {
    Canvas c(side, side);
    const Shape body =
        blend(ellipse({118, 140}, {98, 66}, -12 * deg), ellipse({164, 118}, {60, 50}), 20);
    c.fill(body, Tint::stone);
    c.fill(outline(circle({40, 330}, 200), 6) & body, Tint::white);
    c.fill(ellipse({98, 108}, {28, 10}, -20 * deg) & body, Tint::white);
    return c.image();
}

RgbaImage glyphs(const Font&) {
    Canvas c(2 * side, side);
    c.fill(polyline({{34, 64}, {56, 196}, {80, 112}, {104, 196}, {126, 64}}, 9) |
               circle({80, 44}, 9),
           Tint::white);
    c.fill(outline(circle({200, 128}, 58), 8) | capsule({164, 92}, {236, 164}, 8) |
               capsule({236, 92}, {164, 164}, 8),
           Tint::white);
    c.fill(polyline({{280, 64}, {364, 64}, {280, 192}, {364, 192}}, 9) |
               capsule({300, 128}, {344, 128}, 7),
           Tint::white);
    c.fill(outline(circle({438, 118}, 52), 9) | capsule({452, 140}, {488, 200}, 9) |
               circle({438, 118}, 13),
           Tint::white);
    c.tint({Tint::lilac, Tint::sky});
    return c.image();
}

const SpriteDrawing thingTable[] = {
    {"eye.png", eye},
    {"eye2.png", eyeLashed},
    {"daisies.png", daisies},
    {"lantern_preview.png", lantern},
    {"nokia.png", phone},
    {"prop1.png", propeller},
    {"s_frame.png", frame},
    {"kukkavaasi.png", vase},
    {"kyltti-risteys.png", signpost},
    {"pistooli.png", pistol},
    {"stopsign.png", stopSign},
    {"pebble2.png", cairn},
    {"l_pebble.png", pebble},
    {"wxzq.png", glyphs},
};

} // namespace

std::span<const SpriteDrawing> thingSprites() {
    return thingTable;
}

} // namespace Sorva::Images
