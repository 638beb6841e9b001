// Pictograms of people and their parts: busts, statues, heads, faces, fists.
// Features are cut out of the silhouettes so that they read as holes in the
// particle cloud.
#include "tools/images/Sprites.h"

#include "tools/images/Canvas.h"

#include <numbers>

namespace Sorva::Images {

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float deg = pi / 180.0f;
constexpr int side = 256;

RgbaImage bust(const Font&) {
    Canvas c(side, side);
    c.fill(box({128, 234}, {60, 12}, 3) | box({128, 214}, {38, 9}, 2), Tint::stone);
    const Shape head = ellipse({128, 86}, {38, 48});
    const Shape neck = box({128, 140}, {19, 26}, 6);
    const Shape chest = ellipse({128, 168}, {88, 46}) & circle({128, 60}, 144);
    Shape curls = circle({128, 40}, 14);
    for (float a = -200.0f; a <= 20.0f; a += 22.0f)
        curls = curls | circle(polar({128, 82}, 42, a * deg), 13);
    c.fill(blend(blend(head, neck, 10), chest, 14) | curls, Tint::white);
    c.cut(circle({128, 40}, 4));
    for (float a = -200.0f; a <= 20.0f; a += 22.0f)
        c.cut(circle(polar({128, 82}, 44, a * deg), 3.5f));
    // Blank statue eyes, a nose line and a sash over one shoulder.
    c.cut(almond({113, 90}, {10, 4}) | almond({143, 90}, {10, 4}));
    c.cut(capsule({128, 94}, {124, 110}, 1.6f) | capsule({118, 124}, {138, 124}, 1.6f));
    const Shape sash = polygon({{52, 150}, {80, 136}, {196, 204}, {150, 210}}) & chest;
    c.inset(sash, Tint::stone, 2.0f);
    return c.image();
}

RgbaImage cristo(const Font&) {
    Canvas c(side, side);
    c.fill(ellipse({128, 242}, {84, 9}) | box({128, 218}, {24, 24}, 2) |
               box({128, 192}, {32, 5}, 2),
           Tint::stone);
    const Shape arms = polyline({{34, 98}, {80, 91}, {128, 88}, {176, 91}, {222, 98}}, 7.0f);
    const Shape sleeve = polygon({{64, 92}, {122, 90}, {118, 142}, {94, 118}});
    const Shape robe = grown(polygon({{113, 88}, {143, 88}, {150, 184}, {106, 184}}), 3.0f);
    const Shape head = circle({128, 64}, 15) | box({128, 82}, {6, 6});
    c.fill(arms | sleeve | mirrored(sleeve, 128) | robe | head, Tint::white);
    // Folds of the robe.
    c.cut(capsule({122, 120}, {118, 182}, 1.5f) | capsule({134, 120}, {138, 182}, 1.5f));
    return c.image();
}

RgbaImage head(const Font&) {
    Canvas c(side, side);
    const Shape skull = circle({112, 100}, 64);
    const Shape profile = grown(
        polygon({{136, 40},  {164, 58},  {175, 84},  {176, 100}, {172, 106}, {180, 116}, {194, 138},
                 {182, 146}, {180, 150}, {184, 160}, {178, 166}, {181, 174}, {174, 182}, {176, 194},
                 {166, 204}, {146, 208}, {144, 246}, {86, 246},  {86, 190},  {64, 150},  {80, 52}}),
        3.0f);
    const Shape whole = blend(skull, profile, 8);
    c.fill(whole, Tint::warm);
    c.inset(
        grown(skull, 4) &
            polygon({{40, 20}, {154, 20}, {138, 60}, {100, 88}, {92, 140}, {100, 170}, {40, 180}}),
        Tint::gold);
    c.cut(outline(ellipse({110, 128}, {10, 16}), 2.2f) & box({104, 128}, {12, 20}));
    c.cut(almond({164, 106}, {7, 2.5f}, 15 * deg));
    return c.image();
}

RgbaImage baby(const Font&) {
    Canvas c(side, side);
    const Shape body = ellipse({128, 176}, {46, 48});
    const Shape legs =
        capsule({104, 206}, {70, 230}, 17, 14) | capsule({152, 206}, {186, 230}, 17, 14);
    const Shape arms =
        capsule({92, 150}, {72, 190}, 13, 11) | capsule({164, 150}, {184, 190}, 13, 11);
    const Shape headShape = circle({128, 86}, 50) | circle({76, 90}, 11) | circle({180, 90}, 11);
    c.fill(body | legs | arms, Tint::sky);
    c.inset(headShape, Tint::warm);
    // A curl on top, two eyes and a smile.
    c.fill(arc({134, 28}, 9, 3.0f, 60 * deg, 330 * deg), Tint::warm);
    c.cut(circle({108, 84}, 6) | circle({148, 84}, 6));
    c.cut(arc({128, 100}, 16, 3.0f, 30 * deg, 150 * deg));
    return c.image();
}

// An oval face with ears; features are cut out by the callers.
Canvas face(Rgba skin) {
    Canvas c(side, side);
    c.fill(ellipse({128, 134}, {72, 94}) | ellipse({56, 138}, {12, 20}) |
               ellipse({200, 138}, {12, 20}) | box({128, 226}, {30, 24}, 6),
           skin);
    return c;
}

void eyes(Canvas& c, float y, Vec2 half, float pupil) {
    for (float x : {98.0f, 158.0f}) {
        c.cut(almond({x, y}, half));
        c.fill(circle({x, y}, pupil), Tint::white);
    }
}

RgbaImage faceSmiling(const Font&) {
    Canvas c = face(Tint::warm);
    // Short hair.
    c.inset(ellipse({128, 76}, {78, 48}) - ellipse({128, 118}, {66, 42}), Tint::gold);
    eyes(c, 124, {18, 9}, 6);
    c.cut(arc({98, 108}, 22, 3, 220 * deg, 320 * deg) |
          arc({158, 108}, 22, 3, 220 * deg, 320 * deg));
    c.cut(polyline({{128, 132}, {120, 166}, {134, 168}}, 2.5f));
    c.cut(almond({128, 192}, {34, 12}) & box({128, 198}, {40, 10}));
    return c.image();
}

RgbaImage faceSerene(const Font&) {
    Canvas c(side, side);
    // Long hair falling behind the face.
    c.fill(ellipse({128, 110}, {96, 86}) | box({128, 170}, {96, 72}, 40), Tint::gold);
    c.cut(ellipse({128, 134}, {76, 98}));
    c.fill(ellipse({128, 134}, {72, 94}) | box({128, 226}, {30, 24}, 6), Tint::warm);
    c.inset(ellipse({128, 60}, {70, 30}) - ellipse({150, 96}, {80, 36}), Tint::gold);
    // Closed eyes, brows, nose and a small mouth.
    c.cut(arc({98, 112}, 18, 3, 30 * deg, 150 * deg) | arc({158, 112}, 18, 3, 30 * deg, 150 * deg));
    c.cut(arc({98, 130}, 24, 2.5f, 240 * deg, 300 * deg) |
          arc({158, 130}, 24, 2.5f, 240 * deg, 300 * deg));
    c.cut(polyline({{128, 136}, {122, 164}, {134, 166}}, 2.2f));
    c.cut(almond({128, 194}, {18, 5}));
    return c.image();
}

RgbaImage faceScream(const Font&) {
    Canvas c(side, side);
    const Shape skull = ellipse({128, 116}, {60, 96});
    c.fill(skull, Tint::white);
    // Hands pressed on the cheeks.
    for (float s : {-1.0f, 1.0f}) {
        const Shape hand = capsule({128 + s * 62, 232}, {128 + s * 66, 160}, 16, 18) |
                           capsule({128 + s * 66, 156}, {128 + s * 56, 112}, 13, 10);
        c.inset(hand, Tint::sky);
    }
    eyes(c, 92, {16, 14}, 5);
    c.cut(ellipse({128, 170}, {16, 30}));
    c.cut(capsule({128, 108}, {128, 130}, 2.0f));
    return c.image();
}

RgbaImage faceLaughing(const Font&) {
    Canvas c = face(Tint::warm);
    // Curly hair.
    Shape curls = circle({128, 40}, 22);
    for (float a = -170.0f; a <= -10.0f; a += 20.0f)
        curls = curls | circle(polar({128, 116}, 76, a * deg), 20);
    c.inset(curls - ellipse({128, 128}, {62, 74}), Tint::rose);
    c.cut(arc({98, 130}, 16, 3.5f, 200 * deg, 340 * deg) |
          arc({158, 130}, 16, 3.5f, 200 * deg, 340 * deg));
    c.cut(polyline({{128, 134}, {120, 160}, {134, 162}}, 2.5f));
    c.cut(circle({128, 170}, 44) & box({128, 196}, {46, 22}));
    c.fill(ellipse({128, 206}, {20, 8}), Tint::rose);
    return c.image();
}

// A clenched fist, knuckles to the viewer, thumb across, turned by `angle`
// about (128, 128).
void fist(Canvas& c, float angle, Rgba skin) {
    const Vec2 pivot{128, 128};
    auto turned = [&](const Shape& s) { return rotated(s, pivot, angle); };
    c.fill(turned(polygon({{96, 250}, {160, 250}, {156, 150}, {100, 150}}) |
                  box({128, 130}, {50, 42}, 18)),
           skin);
    for (int i = 0; i < 4; ++i)
        c.inset(turned(box({92.0f + 24 * i, 90}, {12, 24}, 11)), skin, 2.2f);
    c.inset(turned(capsule({84, 126}, {150, 114}, 15, 12)), skin, 2.5f);
}

RgbaImage fistUp(const Font&) {
    Canvas c(side, side);
    fist(c, 0.0f, Tint::warm);
    return c.image();
}

RgbaImage angryFist(const Font&) {
    Canvas c(side, side);
    fist(c, -14 * deg, Tint::rose);
    // Shaking lines beside it and a throbbing vein mark above.
    for (float s : {-1.0f, 1.0f})
        for (int i = 0; i < 3; ++i)
            c.fill(capsule({128 + s * 84, 64.0f + 26 * i}, {128 + s * 108, 56.0f + 26 * i}, 4.5f),
                   Tint::white);
    for (int q = 0; q < 4; ++q) {
        const float a = (45 + 90 * q) * deg;
        c.fill(arc(polar({206, 36}, 24, a), 14, 4.5f, a + 140 * deg, a + 220 * deg), Tint::red);
    }
    return c.image();
}

RgbaImage girl(const Font&) {
    Canvas c(side, side);
    const Shape headShape = circle({128, 52}, 26);
    const Shape pigtails = circle({92, 50}, 14) | circle({164, 50}, 14);
    const Shape dress = grown(polygon({{112, 88}, {144, 88}, {178, 178}, {78, 178}}), 5.0f);
    const Shape limbs = capsule({108, 94}, {80, 150}, 8) | capsule({148, 94}, {176, 150}, 8) |
                        capsule({112, 180}, {110, 240}, 9) | capsule({144, 180}, {146, 240}, 9);
    c.fill(limbs | dress, Tint::rose);
    c.inset(headShape | capsule({128, 70}, {128, 84}, 8), Tint::warm);
    c.inset(pigtails, Tint::gold);
    c.fill(ellipse({128, 34}, {27, 12}) & headShape, Tint::gold);
    return c.image();
}

RgbaImage angel(const Font&) {
    Canvas c(side, side);
    // Wings: a leading edge rising from the shoulder to the tip, feathers
    // hanging from it, longest outermost; the right wing mirrors the left.
    const Vec2 shoulder{114, 104}, tip{52, 48};
    for (int i = 4; i >= 0; --i) {
        const float t = i / 4.0f;
        const Vec2 base = shoulder + (tip - shoulder) * t;
        const float a = (95 + 20 * t) * deg;
        const float len = 50.0f + 26 * t;
        const Shape feather = ellipse(polar(base, len / 2 - 8, a), {len / 2, 12}, a);
        c.inset(feather | mirrored(feather, 128), Tint::sky, 2.5f);
    }
    const Shape edge = capsule(shoulder, tip, 15, 10);
    c.inset(edge | mirrored(edge, 128), Tint::sky, 2.5f);
    const Shape robe = grown(polygon({{114, 92}, {142, 92}, {172, 232}, {84, 232}}), 4.0f);
    c.inset(robe | circle({128, 70}, 19), Tint::white, 3.0f);
    c.fill(outline(ellipse({128, 36}, {26, 8}), 3.5f), Tint::gold);
    c.cut(capsule({128, 130}, {128, 226}, 1.6f));
    return c.image();
}

const SpriteDrawing figureTable[] = {
    {"bust.png", bust},          {"cristo.png", cristo},
    {"head.png", head},          {"l_baby.png", baby},
    {"l_face.png", faceSmiling}, {"l_face1.png", faceSerene},
    {"l_face2.png", faceScream}, {"l_face4.png", faceLaughing},
    {"l_fistup.png", fistUp},    {"vihainennyrkki.png", angryFist},
    {"girl.png", girl},          {"enkeli.png", angel},
};

} // namespace

std::span<const SpriteDrawing> figureSprites() {
    return figureTable;
}

} // namespace Sorva::Images
