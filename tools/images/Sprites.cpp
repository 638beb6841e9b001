// The sprite list, and the word sprites: capitals in the boldest weight,
// stacked one line a word group and as large as the picture allows.
#include "tools/images/Sprites.h"

#include "tools/images/Canvas.h"

#include <algorithm>
#include <initializer_list>

namespace Sorva::Images {

namespace {

constexpr float tracking = 0.01f;

// 512 x 256, the lines centred, all in one size with equal gaps.
Canvas words(const Font& font, std::initializer_list<std::string_view> lines) {
    constexpr int width = 512, height = 256;
    constexpr float maxWidth = 472.0f, maxHeight = 216.0f, maxCap = 150.0f, gap = 0.22f;
    constexpr float trial = 100.0f;
    float widest = 0.0f, cap = 0.0f;
    for (std::string_view line : lines) {
        const SetText probe = font.set(line, trial, tracking);
        widest = std::max(widest, static_cast<float>(probe.coverage.width()));
        cap = std::max(cap, static_cast<float>(-probe.top));
    }
    const float n = static_cast<float>(lines.size());
    const float scale =
        std::min({maxWidth / widest, maxHeight / (cap * (n + gap * (n - 1))), maxCap / cap});
    const float lineCap = cap * scale;
    const float block = lineCap * (n + gap * (n - 1));
    Canvas canvas(width, height);
    float baseline = (height - block) / 2.0f + lineCap;
    for (std::string_view line : lines) {
        const SetText set = font.set(line, trial * scale, tracking);
        canvas.fill(set.coverage, (width - set.coverage.width()) / 2,
                    static_cast<int>(baseline) + set.top, Tint::white);
        baseline += lineCap * (1.0f + gap);
    }
    return canvas;
}

RgbaImage tinted(Canvas canvas, std::initializer_list<Rgba> stops) {
    canvas.tint(stops);
    return canvas.image();
}

const SpriteDrawing wordTable[] = {
    {"accuse.png",
     [](const Font& f) {
         return tinted(words(f, {"ACCUSE"}), {Tint::white, Tint::rose});
     }},
    {"broken.png",
     [](const Font& f) {
         Canvas c = words(f, {"BROKEN"});
         c.cut(polyline({{250, 20}, {272, 84}, {236, 126}, {284, 164}, {256, 236}}, 4.5f) |
               polyline({{236, 126}, {196, 140}, {180, 176}}, 2.5f) |
               polyline({{272, 84}, {312, 70}}, 2.5f));
         c.tint({Tint::white, Tint::sky});
         return c.image();
     }},
    {"death.png",
     [](const Font& f) {
         return tinted(words(f, {"DEATH"}), {Tint::white, Tint::lilac});
     }},
    {"fathers.png",
     [](const Font& f) {
         return tinted(words(f, {"FATHERS"}), {Tint::warm, Tint::gold});
     }},
    {"hostile.png",
     [](const Font& f) {
         return tinted(words(f, {"HOSTILE"}), {Tint::rose, Tint::red});
     }},
    {"pride.png",
     [](const Font& f) {
         return tinted(words(f, {"PRIDE"}),
                       {Tint::red, Tint::gold, Tint::leaf, Tint::sky, Tint::lilac});
     }},
    {"sanity.png",
     [](const Font& f) {
         return tinted(words(f, {"SANITY"}), {Tint::white, Tint::sea});
     }},
    {"some.png",
     [](const Font& f) {
         return tinted(words(f, {"SOME"}), {Tint::white, Tint::leaf});
     }},
    {"stop.png",
     [](const Font& f) {
         return tinted(words(f, {"STOP"}), {Tint::white, Tint::red});
     }},
    {"turned.png",
     [](const Font& f) {
         return tinted(words(f, {"TURNED"}), {Tint::lilac, Tint::white});
     }},
    {"memories.png",
     [](const Font& f) {
         return tinted(words(f, {"MEMORIES"}), {Tint::warm, Tint::stone});
     }},
    {"open.png",
     [](const Font& f) {
         return tinted(words(f, {"OPEN"}), {Tint::white, Tint::gold});
     }},
    {"culdesac.png",
     [](const Font& f) {
         return tinted(words(f, {"CUL-DE-SAC"}), {Tint::white, Tint::stone});
     }},
    {"broughtitdown.png",
     [](const Font& f) {
         return tinted(words(f, {"BROUGHT", "IT DOWN"}), {Tint::white, Tint::rose});
     }},
    {"breakfree.png",
     [](const Font& f) {
         return tinted(words(f, {"BREAK", "FREE"}), {Tint::white, Tint::sea});
     }},
    {"lookup.png",
     [](const Font& f) {
         return tinted(words(f, {"LOOK", "UP"}), {Tint::sky, Tint::white});
     }},
};

} // namespace

SetText setToFit(const Font& font, std::string_view text, float maxWidth, float maxHeight) {
    constexpr float trial = 100.0f;
    const SetText probe = font.set(text, trial, tracking);
    const float scale =
        std::min(maxWidth / probe.coverage.width(), maxHeight / probe.coverage.height());
    return font.set(text, trial * scale, tracking);
}

std::span<const SpriteDrawing> wordSprites() {
    return wordTable;
}

std::vector<SpriteDrawing> spriteDrawings() {
    std::vector<SpriteDrawing> all;
    for (auto part : {wordSprites(), figureSprites(), thingSprites(), sceneSprites()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace Sorva::Images
