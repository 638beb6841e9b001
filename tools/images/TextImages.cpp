// Text pictures: coverage from the font, a blurred copy as glow, and both
// combined into premultiplied white-on-blue.
#include "tools/images/TextImages.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Images {

namespace {

constexpr Rgba glowColour{0.55f, 0.78f, 1.0f, 1.0f};

// Ink over glow: white where the text is, a blue haze fading around it.
RgbaImage compose(const Plane& ink, float glowSigma, float glowStrength) {
    const Plane glow = gaussianBlur(ink, glowSigma, Edge::empty);
    RgbaImage image(ink.width(), ink.height());
    for (int y = 0; y < ink.height(); ++y)
        for (int x = 0; x < ink.width(); ++x) {
            const float text = ink.at(x, y);
            const float haze = (1.0f - text) * std::min(1.0f, glow.at(x, y) * glowStrength);
            image.set(x, y,
                      {text + haze * glowColour.r, text + haze * glowColour.g,
                       text + haze * glowColour.b, text + haze});
        }
    return image;
}

// Sets `text` with the ink `height` pixels tall (measured on a trial setting).
SetText setToInkHeight(const Font& font, std::string_view text, float height, float tracking) {
    const float trial = 100.0f;
    const SetText probe = font.set(text, trial, tracking);
    return font.set(text, trial * height / probe.coverage.height(), tracking);
}

} // namespace

RgbaImage makeTitle(const Font& font, std::string_view text, float maxHeight) {
    constexpr int width = 1024, height = 256, maxWidth = 840;
    constexpr float tracking = 0.02f;
    SetText set = setToInkHeight(font, text, maxHeight, tracking);
    if (set.coverage.width() > maxWidth)
        set = setToInkHeight(font, text, maxHeight * maxWidth / set.coverage.width(), tracking);
    Plane ink(width, height);
    ink.stampMax(set.coverage, (width - set.coverage.width()) / 2,
                 (height - set.coverage.height()) / 2);
    return compose(ink, 9.0f, 0.7f);
}

RgbaImage makeGreets(const Font& headingFont, const Font& nameFont, std::string_view heading,
                     std::span<const std::string_view> names) {
    constexpr int width = 1024, height = 512;
    constexpr int headingBaseline = 92, ruleY = 124, firstBaseline = 196, lineStep = 66;
    Plane ink(width, height);

    const SetText title = headingFont.set(heading, 78.0f, 0.16f);
    ink.stampMax(title.coverage, (width - title.coverage.width()) / 2, headingBaseline + title.top);

    // A thin rule under the heading, fading out towards its ends.
    for (int x = 160; x < width - 160; ++x) {
        const float t = (x - 160.0f) / (width - 320.0f);
        const float fade = std::sin(t * 3.14159265f);
        ink.at(x, ruleY) = std::max(ink.at(x, ruleY), 0.9f * fade);
        ink.at(x, ruleY + 1) = std::max(ink.at(x, ruleY + 1), 0.35f * fade);
    }

    const int rows = static_cast<int>((names.size() + 1) / 2);
    for (size_t i = 0; i < names.size(); ++i) {
        const SetText name = nameFont.set(names[i], 54.0f, 0.01f);
        const int column = static_cast<int>(i) / rows;
        const int centre = column == 0 ? width * 27 / 100 : width * 73 / 100;
        const int baseline = firstBaseline + (static_cast<int>(i) % rows) * lineStep;
        ink.stampMax(name.coverage, centre - name.coverage.width() / 2, baseline + name.top);
    }
    return compose(ink, 7.0f, 0.6f);
}

} // namespace Sorva::Images
