// Text through stb_truetype: each glyph rasterised at its sub-pixel pen
// position, kerned, and merged into one coverage plane.
#include "tools/images/Font.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Sorva::Images {

namespace {

struct PlacedGlyph {
    int codepoint;
    float penX;
    int x0, y0, x1, y1; // bitmap box relative to the integer pen position
};

} // namespace

Font::Font(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (data_.empty())
        throw std::runtime_error("cannot read font " + file.string());
    const int offset = stbtt_GetFontOffsetForIndex(data_.data(), 0);
    if (offset < 0 || !stbtt_InitFont(&info_, data_.data(), offset))
        throw std::runtime_error("not a font: " + file.string());
}

SetText Font::set(std::string_view text, float pixelHeight, float tracking) const {
    const float scale = stbtt_ScaleForPixelHeight(&info_, pixelHeight);
    std::vector<PlacedGlyph> glyphs;
    float pen = 0.0f;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        PlacedGlyph g{c, pen, 0, 0, 0, 0};
        const float shift = pen - std::floor(pen);
        stbtt_GetCodepointBitmapBoxSubpixel(&info_, c, scale, scale, shift, 0.0f, &g.x0, &g.y0,
                                            &g.x1, &g.y1);
        if (g.x1 > g.x0 && g.y1 > g.y0) {
            const int base = static_cast<int>(std::floor(pen));
            left = std::min(left, base + g.x0);
            right = std::max(right, base + g.x1);
            top = std::min(top, g.y0);
            bottom = std::max(bottom, g.y1);
            glyphs.push_back(g);
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info_, c, &advance, &bearing);
        pen += advance * scale + tracking * pixelHeight;
        if (i + 1 < text.size())
            pen += scale * stbtt_GetCodepointKernAdvance(&info_, c,
                                                         static_cast<unsigned char>(text[i + 1]));
    }
    if (glyphs.empty())
        return {Plane(0, 0), 0, 0};

    SetText out{Plane(right - left, bottom - top), left, top};
    std::vector<unsigned char> bitmap;
    for (const PlacedGlyph& g : glyphs) {
        const int w = g.x1 - g.x0;
        const int h = g.y1 - g.y0;
        bitmap.assign(static_cast<std::size_t>(w) * h, 0);
        stbtt_MakeCodepointBitmapSubpixel(&info_, bitmap.data(), w, h, w, scale, scale,
                                          g.penX - std::floor(g.penX), 0.0f, g.codepoint);
        Plane glyph(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                glyph.at(x, y) = bitmap[static_cast<std::size_t>(y) * w + x] / 255.0f;
        out.coverage.stampMax(glyph, static_cast<int>(std::floor(g.penX)) + g.x0 - left,
                              g.y0 - top);
    }
    return out;
}

} // namespace Sorva::Images
