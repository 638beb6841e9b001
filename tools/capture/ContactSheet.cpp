// Thumbnails by box filtering, labels in the tools' pixel font.
#include "tools/capture/ContactSheet.h"

#include "tools/PixelFont.h"
#include "tools/capture/Frame.h"
#include "tools/capture/PngFile.h"

#include <cstdio>

namespace Sorva {

namespace {

constexpr std::uint8_t background = 24;
constexpr std::uint8_t ink = 225;

int textWidth(const std::string& text, int scale) {
    return static_cast<int>(text.size()) * (PixelGlyph::width + 1) * scale - scale;
}

} // namespace

ContactSheet::ContactSheet(const std::filesystem::path& path, const SheetLayout& layout,
                           const std::string& note)
    : file_(path), layout_(layout), top_(note.empty() ? 0 : SheetLayout::labelHeight),
      width_(layout.sheetWidth()), height_(layout.sheetHeight() + top_),
      pixels_(static_cast<std::size_t>(width_) * height_ * 3, background) {
    if (!note.empty()) {
        const int scale = textWidth(note, 2) <= width_ - 2 * SheetLayout::gap ? 2 : 1;
        drawText(note, SheetLayout::gap,
                 (SheetLayout::labelHeight - PixelGlyph::height * scale) / 2 + 4, scale);
    }
}

std::string ContactSheet::label(double seconds, double row) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s  row %.2f", seconds, row);
    return text;
}

void ContactSheet::write(const Frame& frame) {
    while (next_ < layout_.count() && layout_.tile(next_).frame < frame.number)
        ++next_;
    if (next_ >= layout_.count() || layout_.tile(next_).frame != frame.number)
        return;
    const SheetLayout::Tile tile = layout_.tile(next_++);
    const int top = top_ + tile.y;
    drawThumbnail(frame, tile.x, top);

    const std::string text = label(frame.seconds, frame.row);
    const int scale = textWidth(text, 2) <= layout_.thumbWidth() - 8 ? 2 : 1;
    const int textTop =
        top + layout_.thumbHeight() + (SheetLayout::labelHeight - PixelGlyph::height * scale) / 2;
    drawText(text, tile.x + 4, textTop, scale);
}

void ContactSheet::drawThumbnail(const Frame& frame, int left, int top) {
    const int tw = layout_.thumbWidth();
    const int th = layout_.thumbHeight();
    for (int ty = 0; ty < th; ++ty) {
        const int y0 = ty * frame.height / th;
        const int y1 = std::max(y0 + 1, (ty + 1) * frame.height / th);
        for (int tx = 0; tx < tw; ++tx) {
            const int x0 = tx * frame.width / tw;
            const int x1 = std::max(x0 + 1, (tx + 1) * frame.width / tw);
            unsigned sum[3] = {0, 0, 0};
            for (int y = y0; y < y1; ++y) {
                const std::uint8_t* p =
                    &frame.pixels[(static_cast<std::size_t>(y) * frame.width + x0) * 3];
                for (int x = x0; x < x1; ++x, p += 3)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c];
            }
            const unsigned n = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            std::uint8_t* out =
                &pixels_[(static_cast<std::size_t>(top + ty) * width_ + left + tx) * 3];
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
        }
    }
}

void ContactSheet::drawText(const std::string& text, int left, int top, int scale) {
    int x0 = left;
    for (const char c : text) {
        if (const PixelGlyph* glyph = pixelGlyph(c))
            for (int row = 0; row < PixelGlyph::height; ++row)
                for (int col = 0; col < PixelGlyph::width; ++col) {
                    if (!glyph->lit(col, row))
                        continue;
                    for (int y = 0; y < scale; ++y)
                        for (int x = 0; x < scale; ++x) {
                            const int px = x0 + col * scale + x;
                            const int py = top + row * scale + y;
                            if (px < 0 || py < 0 || px >= width_ || py >= height_)
                                continue;
                            std::uint8_t* out =
                                &pixels_[(static_cast<std::size_t>(py) * width_ + px) * 3];
                            out[0] = out[1] = out[2] = ink;
                        }
                }
        x0 += (PixelGlyph::width + 1) * scale;
    }
}

void ContactSheet::finish() {
    writePng(file_.temporaryPath(), width_, height_, pixels_.data());
    file_.commit();
}

} // namespace Sorva
