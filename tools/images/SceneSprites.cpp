// Wide pictograms of places, 512 x 256: a meadow, a breaking wave, a desert
// and ruins. Everything stays inside a margin so the edges are transparent.
#include "tools/images/Sprites.h"

#include "tools/images/Canvas.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace Sorva::Images {

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float deg = pi / 180.0f;
constexpr int width = 512, height = 256;

// The picture less a margin: scenery is clipped to it.
Shape stage() {
    return box({width / 2.0f, height / 2.0f}, {width / 2.0f - 10, height / 2.0f - 12});
}

// Repeatable pseudo-random numbers in [0, 1) for scattered details.
class Scatter {
public:
    explicit Scatter(std::uint32_t seed) : state_(seed) {}
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / 16777216.0f;
    }

private:
    std::uint32_t state_;
};

// Height of the top of an ellipse at x (the ellipse's lowest point if x is
// beyond it).
float crest(Vec2 centre, Vec2 radii, float x) {
    const float u = (x - centre.x) / radii.x;
    return u * u >= 1.0f ? centre.y : centre.y - radii.y * std::sqrt(1.0f - u * u);
}

RgbaImage meadow(const Font&) {
    Canvas c(width, height);
    const Vec2 sun{404, 70};
    c.fill(circle(sun, 34), Tint::gold);
    for (int i = 0; i < 12; ++i) {
        const float a = i * 30 * deg;
        c.fill(capsule(polar(sun, 46, a), polar(sun, 62, a), 4), Tint::gold);
    }
    const Vec2 farC{370, 300}, farR{230, 108}, nearC{150, 312}, nearR{250, 108};
    c.fill(ellipse(farC, farR) & stage(), Tint::leaf);
    c.inset(ellipse(nearC, nearR) & stage(), Tint::white, 3.0f);
    c.tint({Tint::white, Tint::leaf});
    // Grass along both hills' tops, then a few daisies.
    Scatter scatter(0x6d656164u);
    for (float x = 18; x < width - 18; x += 6.0f) {
        const float top = std::min(crest(farC, farR, x), crest(nearC, nearR, x));
        const float h = 12 + 22 * scatter.next();
        const float lean = (scatter.next() - 0.5f) * 0.7f;
        c.fill(capsule({x, top + 4}, {x + lean * h, top - h}, 3.0f, 0.8f), Tint::leaf);
    }
    for (float x : {70.0f, 150.0f, 232.0f, 330.0f, 440.0f}) {
        const Vec2 f{x, std::min(crest(farC, farR, x), crest(nearC, nearR, x)) + 22};
        Shape petals = circle(f, 4);
        for (int i = 0; i < 5; ++i)
            petals = petals | circle(polar(f, 6, i * 72 * deg), 5);
        c.inset(petals, Tint::white, 2.0f);
        c.fill(circle(f, 3), Tint::gold);
    }
    return c.image();
}

RgbaImage wave(const Font&) {
    Canvas c(width, height);
    // The breaking wave: a thick curl whose lip hangs to the left, on a
    // smooth back.
    const Shape back = polygon(
        {{270, 22}, {374, 126}, {392, 172}, {424, 206}, {470, 228}, {496, 240}, {262, 240}});
    const Shape curl = (circle({270, 126}, 104) | back) - circle({244, 150}, 70) -
                       polygon({{150, 150}, {262, 150}, {262, 250}, {150, 250}});
    c.fill(curl & stage(), Tint::sea);
    // Swell: a band along the bottom with a rolling top.
    std::vector<Vec2> swell{{16, 242}};
    for (float x = 16; x <= width - 16; x += 8)
        swell.push_back({x, 210 + 8 * std::sin(x / 26.0f)});
    swell.push_back({width - 16.0f, 242});
    c.inset(polygon(swell), Tint::sea, 3.0f);
    // Foam: white fingers along the lip, a band inside the curl.
    Shape foam = circle({176, 96}, 13);
    for (int i = 0; i < 7; ++i)
        foam =
            foam | circle(polar({244, 150}, 76 + (i % 2) * 6, (190 + 15 * i) * deg), 11 - i * 0.8f);
    c.fill(foam | (outline(circle({244, 150}, 74), 5) & box({250, 80}, {90, 70})), Tint::white);
    c.tint({Tint::white, Tint::sky});
    return c.image();
}

RgbaImage desert(const Font&) {
    Canvas c(width, height);
    c.fill(circle({356, 92}, 54), Tint::gold);
    const Shape backDune = ellipse({380, 300}, {230, 112}) & stage();
    const Shape frontDune = ellipse({130, 306}, {250, 96}) & stage();
    c.fill(backDune, Tint::gold);
    c.inset(frontDune, Tint::warm, 3.0f);
    c.cut(arc({390, 330}, 128, 2.0f, 225 * deg, 265 * deg) - grown(frontDune, 3));
    // A saguaro and a trail of footprints leading off.
    c.inset(capsule({160, 214}, {160, 92}, 15) |
                polyline({{160, 158}, {126, 158}, {126, 118}}, 11) |
                polyline({{160, 138}, {194, 138}, {194, 104}}, 11),
            Tint::leaf, 3.0f);
    c.cut(capsule({154, 100}, {154, 206}, 1.5f) | capsule({166, 100}, {166, 206}, 1.5f));
    for (int i = 0; i < 9; ++i) {
        const float x = 232 + 26 * i;
        const float y = 236 - 3.6f * i + (i % 2 ? -5 : 5);
        c.cut(ellipse({x, y}, {6, 3}, -8 * deg));
    }
    // Two birds in the sky.
    for (Vec2 b : {Vec2{96, 52}, Vec2{134, 36}}) {
        c.fill(arc({b.x - 9, b.y + 6}, 10, 2.5f, 220 * deg, 330 * deg) |
                   arc({b.x + 9, b.y + 6}, 10, 2.5f, 210 * deg, 320 * deg),
               Tint::white);
    }
    return c.image();
}

// A fluted column from `top` down to the steps; a broken one ends in a
// jagged edge, a whole one under a capital.
void column(Canvas& c, float x, float top, bool broken) {
    constexpr float foot = 214;
    Shape shaft = box({x, (top + foot) / 2}, {20, (foot - top) / 2});
    if (broken)
        shaft = shaft - polygon({{x - 30, top - 10},
                                 {x + 30, top - 10},
                                 {x + 30, top + 6},
                                 {x + 10, top + 18},
                                 {x - 2, top + 2},
                                 {x - 14, top + 14},
                                 {x - 30, top + 4}});
    else
        shaft = shaft | box({x, top - 6}, {30, 7}, 2) | box({x, top - 16}, {25, 4});
    c.fill(shaft, Tint::stone);
    for (float dx : {-10.0f, 0.0f, 10.0f})
        c.cut(capsule({x + dx, top + (broken ? 24 : 10)}, {x + dx, foot - 8}, 1.6f));
}

RgbaImage ruins(const Font&) {
    Canvas c(width, height);
    c.fill(box({256, 236}, {236, 8}, 2) | box({256, 221}, {212, 7}, 2), Tint::stone);
    column(c, 92, 70, false);
    column(c, 176, 70, false);
    column(c, 338, 118, true);
    column(c, 420, 168, true);
    // A beam still on the standing pair, broken off to the right.
    c.fill(box({134, 42}, {72, 12}, 2) -
               polygon({{200, 20}, {220, 20}, {220, 60}, {196, 60}, {206, 44}, {194, 36}}),
           Tint::white);
    // Fallen drums and blocks.
    c.inset(box({262, 198}, {26, 14}, 3, 8 * deg), Tint::white, 3.0f);
    c.inset(box({470, 204}, {16, 10}, 2, -14 * deg), Tint::stone, 3.0f);
    c.inset(box({230, 206}, {12, 8}, 2, 20 * deg), Tint::stone, 3.0f);
    c.tint({Tint::white, Tint::warm});
    return c.image();
}

const SpriteDrawing sceneTable[] = {
    {"meadow3_preview.png", meadow},
    {"tsun.png", wave},
    {"aavikko-lost.png", desert},
    {"rauniot.png", ruins},
};

} // namespace

std::span<const SpriteDrawing> sceneSprites() {
    return sceneTable;
}

} // namespace Sorva::Images
