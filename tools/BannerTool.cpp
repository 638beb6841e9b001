// halvo-banner: draws the setup dialog's 315 x 157 banner (title in a built-in
// pixel font over a particle field and a grid floor) and writes it as PNG.
#include "tools/PixelFont.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr int width = 315;
constexpr int height = 157;
constexpr double horizon = 118.0;

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Linear-light canvas; light is added, then tone-mapped once at the end.
struct Canvas {
    std::vector<Rgb> pixels = std::vector<Rgb>(width * height, Rgb{0, 0, 0});

    Rgb& at(int x, int y) { return pixels[y * width + x]; }
    void add(int x, int y, Rgb c, double amount) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        Rgb& p = at(x, y);
        p = {p.r + c.r * amount, p.g + c.g * amount, p.b + c.b * amount};
    }
    // A soft round dot of light.
    void splat(double cx, double cy, double radius, Rgb c, double amount) {
        const int r = static_cast<int>(std::ceil(radius * 3));
        for (int y = static_cast<int>(cy) - r; y <= static_cast<int>(cy) + r; ++y)
            for (int x = static_cast<int>(cx) - r; x <= static_cast<int>(cx) + r; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                add(x, y, c, amount * std::exp(-(dx * dx + dy * dy) / (2 * radius * radius)));
            }
    }
};

// Deterministic so that the committed picture can be reproduced exactly.
struct Lcg {
    std::uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// Coverage mask of a text in the pixel font, each font cell `scale` pixels.
std::vector<double> textMask(std::string_view text, int left, int top, int scale, int gap) {
    std::vector<double> mask(width * height, 0.0);
    int x0 = left;
    for (char c : text) {
        if (const Sorva::PixelGlyph* g = Sorva::pixelGlyph(c))
            for (int row = 0; row < Sorva::PixelGlyph::height; ++row)
                for (int col = 0; col < Sorva::PixelGlyph::width; ++col) {
                    if (!g->lit(col, row))
                        continue;
                    for (int y = 0; y < scale; ++y)
                        for (int x = 0; x < scale; ++x) {
                            const int px = x0 + col * scale + x, py = top + row * scale + y;
                            if (px >= 0 && py >= 0 && px < width && py < height)
                                mask[py * width + px] = 1.0;
                        }
                }
        x0 += 5 * scale + gap;
    }
    return mask;
}

int textWidth(std::string_view text, int scale, int gap) {
    return static_cast<int>(text.size()) * (5 * scale + gap) - gap;
}

// Three box blurs approximate a Gaussian glow.
std::vector<double> blur(std::vector<double> v, int radius) {
    std::vector<double> tmp(v.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                double sum = 0;
                for (int k = -radius; k <= radius; ++k)
                    sum += v[y * width + std::clamp(x + k, 0, width - 1)];
                tmp[y * width + x] = sum / (2 * radius + 1);
            }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                double sum = 0;
                for (int k = -radius; k <= radius; ++k)
                    sum += tmp[std::clamp(y + k, 0, height - 1) * width + x];
                v[y * width + x] = sum / (2 * radius + 1);
            }
    }
    return v;
}

const Rgb night{0.010, 0.006, 0.045};
const Rgb dusk{0.160, 0.020, 0.180};
const Rgb cyan{0.02, 0.85, 1.00};
const Rgb pink{1.00, 0.06, 0.62};
const Rgb violet{0.30, 0.12, 1.00};
const Rgb white{1.0, 1.0, 1.0};

void drawSky(Canvas& canvas) {
    for (int y = 0; y < height; ++y) {
        const double t = std::clamp(y / horizon, 0.0, 1.0);
        for (int x = 0; x < width; ++x)
            canvas.at(x, y) = mix(night, dusk, t * t);
    }
    // A low sun glow behind the title, sitting on the horizon.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x - width / 2.0) / 90.0, dy = (y - horizon) / 30.0;
            canvas.add(x, y, pink, 0.16 * std::exp(-(dx * dx + dy * dy)));
        }
}

void drawFloor(Canvas& canvas) {
    const double vanishX = width / 2.0;
    const double floorHeight = height - horizon;
    for (int y = static_cast<int>(horizon); y < height; ++y) {
        const double depth = (y - horizon + 1) / floorHeight; // 0 far, 1 near
        for (int x = 0; x < width; ++x)
            canvas.at(x, y) = mix(dusk, night, std::sqrt(depth));
        // Rails converging on the vanishing point, anti-aliased across two pixels.
        for (int i = -12; i <= 12; ++i) {
            const double x = vanishX + i * 34.0 * depth;
            const int left = static_cast<int>(std::floor(x - 0.5));
            const double f = x - 0.5 - left;
            canvas.add(left, y, pink, (1 - f) * (0.2 + 0.7 * depth));
            canvas.add(left + 1, y, pink, f * (0.2 + 0.7 * depth));
        }
    }
    // Cross lines at equal steps of distance, so they crowd towards the horizon.
    for (int k = 1; k < 40; ++k) {
        const double y = horizon + floorHeight * 1.6 / (k + 0.6 * k * k * 0.25 + 0.6);
        if (y >= height)
            continue;
        const int row = static_cast<int>(std::floor(y));
        const double f = y - row, depth = (y - horizon) / floorHeight;
        for (int x = 0; x < width; ++x) {
            canvas.add(x, row, pink, (1 - f) * (0.2 + 0.8 * depth));
            canvas.add(x, row + 1, pink, f * (0.2 + 0.8 * depth));
        }
    }
    for (int x = 0; x < width; ++x)
        canvas.add(x, static_cast<int>(horizon), pink, 1.2);
}

void drawParticles(Canvas& canvas) {
    Lcg rng{0x48616c76u};
    // Far stars above the horizon.
    for (int i = 0; i < 260; ++i) {
        const double x = rng.next() * width, y = rng.next() * (horizon - 4);
        const double size = 0.35 + 0.5 * rng.next() * rng.next();
        canvas.splat(x, y, size, mix(cyan, white, rng.next()), 0.5 + 1.5 * rng.next());
    }
    // A ring of sparks swirling round the title, brighter at the front.
    for (int i = 0; i < 320; ++i) {
        const double a = rng.next() * 6.283185307179586;
        const double spread = (rng.next() - 0.5) * (rng.next() - 0.5) * 40.0;
        const double x = width / 2.0 + std::cos(a) * (128.0 + spread);
        const double y = 60.0 + std::sin(a) * (34.0 + spread * 0.3);
        const double front = 0.5 + 0.5 * std::sin(a);
        canvas.splat(x, y, 0.45 + 0.9 * rng.next() * front, mix(pink, cyan, rng.next()),
                     (0.3 + 1.6 * front) * rng.next());
    }
}

void drawTitle(Canvas& canvas) {
    constexpr std::string_view title = "HALVO";
    constexpr int scale = 7, gap = 8, top = 26;
    const int left = (width - textWidth(title, scale, gap)) / 2;
    const std::vector<double> mask = textMask(title, left, top, scale, gap);
    const std::vector<double> glow = blur(mask, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = std::clamp((y - top) / (7.0 * scale), 0.0, 1.0);
            const Rgb fill = t < 0.5 ? mix(cyan, violet, t * 2) : mix(violet, pink, t * 2 - 1);
            canvas.add(x, y, fill, 0.9 * glow[y * width + x]);
            if (mask[y * width + x] > 0) {
                // Lit cells with a dark seam between them, like an LED panel.
                const int cx = (x - left) % scale, cy = (y - top) % scale;
                const double seam = (cx == scale - 1 || cy == scale - 1) ? 0.45 : 1.0;
                canvas.at(x, y) = mix(fill, white, cy == 0 ? 0.45 : 0.0);
                Rgb& p = canvas.at(x, y);
                p = {p.r * seam, p.g * seam, p.b * seam};
            }
        }

    constexpr std::string_view byline = "// SORVA";
    constexpr int smallScale = 2, smallGap = 4, smallTop = 87;
    const int smallLeft = (width - textWidth(byline, smallScale, smallGap)) / 2;
    const std::vector<double> small = textMask(byline, smallLeft, smallTop, smallScale, smallGap);
    const std::vector<double> smallGlow = blur(small, 2);
    for (int i = 0; i < width * height; ++i) {
        canvas.add(i % width, i / width, cyan, 0.8 * smallGlow[i]);
        if (small[i] > 0)
            canvas.pixels[i] = mix(white, cyan, 0.3);
    }
}

std::vector<std::uint8_t> toneMap(Canvas& canvas) {
    std::vector<std::uint8_t> rgb(width * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb p = canvas.at(x, y);
            const double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
            const double vignette = 1.0 - 0.9 * (dx * dx + dy * dy);
            const double scanline = y % 2 ? 0.88 : 1.0;
            const double c[3] = {p.r, p.g, p.b};
            for (int k = 0; k < 3; ++k) {
                const double v = 1.0 - std::exp(-c[k] * 1.4 * vignette * scanline);
                const double encoded = std::pow(std::clamp(v, 0.0, 1.0), 1.0 / 2.2);
                rgb[(y * width + x) * 3 + k] = static_cast<std::uint8_t>(encoded * 255.0 + 0.5);
            }
        }
    return rgb;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvo-banner OUT.png|OUT.bmp\n");
        return 2;
    }
    // A .bmp is the 24-bit bitmap the Windows dialog's resources hold.
    const std::string_view out = argv[1];
    const bool bmp = out.size() > 4 && out.substr(out.size() - 4) == ".bmp";
    Canvas canvas;
    drawSky(canvas);
    drawFloor(canvas);
    drawParticles(canvas);
    drawTitle(canvas);
    const std::vector<std::uint8_t> rgb = toneMap(canvas);
    const int written = bmp ? stbi_write_bmp(argv[1], width, height, 3, rgb.data())
                            : stbi_write_png(argv[1], width, height, 3, rgb.data(), width * 3);
    if (!written) {
        std::fprintf(stderr, "halvo-banner: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
