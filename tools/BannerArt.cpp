// The banner's art, drawn in linear light and tone-mapped once at the end.
#include "tools/BannerArt.h"

#include "tools/PixelFont.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace Sorva {

namespace {

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Where things lie on a canvas, in its pixels.
struct Layout {
    int width, height;
    double horizon;
    double sunRadiusX, sunRadiusY;
    double railStep;
    int stars;
    int sparks;
    double ringY, ringRadiusX, ringRadiusY, ringSpread;
    std::string_view title;
    int titleScale, titleGap, titleTop, titleGlow;
    bool byline;
};

constexpr Layout bannerLayout{bannerWidth, bannerHeight, 118.0, 90.0, 30.0, 34.0,    260,
                              320,         60.0,         128.0, 34.0, 40.0, "HALVO", 7,
                              8,           26,           4,     true};
// The icon: the title's first letter, the floor and the sparks round it.
constexpr int iconSize = 256;
constexpr Layout iconLayout{iconSize, iconSize, 182.0, 110.0, 40.0, 30.0, 140, 300, 96.0,
                            104.0,    28.0,     36.0,  "H",   22,   0,    24,  6,   false};

// Light is added, then tone-mapped once at the end.
struct Canvas {
    Layout layout;
    std::vector<Rgb> pixels = std::vector<Rgb>(layout.width * layout.height, Rgb{0, 0, 0});

    Rgb& at(int x, int y) { return pixels[y * layout.width + x]; }
    void add(int x, int y, Rgb c, double amount) {
        if (x < 0 || y < 0 || x >= layout.width || y >= layout.height)
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
std::vector<double> textMask(const Layout& l, std::string_view text, int left, int top, int scale,
                             int gap) {
    std::vector<double> mask(l.width * l.height, 0.0);
    int x0 = left;
    for (char c : text) {
        if (const PixelGlyph* g = pixelGlyph(c))
            for (int row = 0; row < PixelGlyph::height; ++row)
                for (int col = 0; col < PixelGlyph::width; ++col) {
                    if (!g->lit(col, row))
                        continue;
                    for (int y = 0; y < scale; ++y)
                        for (int x = 0; x < scale; ++x) {
                            const int px = x0 + col * scale + x, py = top + row * scale + y;
                            if (px >= 0 && py >= 0 && px < l.width && py < l.height)
                                mask[py * l.width + px] = 1.0;
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
std::vector<double> blur(const Layout& l, std::vector<double> v, int radius) {
    const int width = l.width, height = l.height;
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
    const Layout& l = canvas.layout;
    for (int y = 0; y < l.height; ++y) {
        const double t = std::clamp(y / l.horizon, 0.0, 1.0);
        for (int x = 0; x < l.width; ++x)
            canvas.at(x, y) = mix(night, dusk, t * t);
    }
    // A low sun glow behind the title, sitting on the horizon.
    for (int y = 0; y < l.height; ++y)
        for (int x = 0; x < l.width; ++x) {
            const double dx = (x - l.width / 2.0) / l.sunRadiusX,
                         dy = (y - l.horizon) / l.sunRadiusY;
            canvas.add(x, y, pink, 0.16 * std::exp(-(dx * dx + dy * dy)));
        }
}

void drawFloor(Canvas& canvas) {
    const Layout& l = canvas.layout;
    const double vanishX = l.width / 2.0;
    const double floorHeight = l.height - l.horizon;
    for (int y = static_cast<int>(l.horizon); y < l.height; ++y) {
        const double depth = (y - l.horizon + 1) / floorHeight; // 0 far, 1 near
        for (int x = 0; x < l.width; ++x)
            canvas.at(x, y) = mix(dusk, night, std::sqrt(depth));
        // Rails converging on the vanishing point, anti-aliased across two pixels.
        for (int i = -12; i <= 12; ++i) {
            const double x = vanishX + i * l.railStep * depth;
            const int left = static_cast<int>(std::floor(x - 0.5));
            const double f = x - 0.5 - left;
            canvas.add(left, y, pink, (1 - f) * (0.2 + 0.7 * depth));
            canvas.add(left + 1, y, pink, f * (0.2 + 0.7 * depth));
        }
    }
    // Cross lines at equal steps of distance, so they crowd towards the horizon.
    for (int k = 1; k < 40; ++k) {
        const double y = l.horizon + floorHeight * 1.6 / (k + 0.6 * k * k * 0.25 + 0.6);
        if (y >= l.height)
            continue;
        const int row = static_cast<int>(std::floor(y));
        const double f = y - row, depth = (y - l.horizon) / floorHeight;
        for (int x = 0; x < l.width; ++x) {
            canvas.add(x, row, pink, (1 - f) * (0.2 + 0.8 * depth));
            canvas.add(x, row + 1, pink, f * (0.2 + 0.8 * depth));
        }
    }
    for (int x = 0; x < l.width; ++x)
        canvas.add(x, static_cast<int>(l.horizon), pink, 1.2);
}

void drawParticles(Canvas& canvas) {
    const Layout& l = canvas.layout;
    Lcg rng{0x48616c76u};
    // Far stars above the horizon.
    for (int i = 0; i < l.stars; ++i) {
        const double x = rng.next() * l.width, y = rng.next() * (l.horizon - 4);
        const double size = 0.35 + 0.5 * rng.next() * rng.next();
        canvas.splat(x, y, size, mix(cyan, white, rng.next()), 0.5 + 1.5 * rng.next());
    }
    // A ring of sparks swirling round the title, brighter at the front.
    for (int i = 0; i < l.sparks; ++i) {
        const double a = rng.next() * 6.283185307179586;
        const double spread = (rng.next() - 0.5) * (rng.next() - 0.5) * l.ringSpread;
        const double x = l.width / 2.0 + std::cos(a) * (l.ringRadiusX + spread);
        const double y = l.ringY + std::sin(a) * (l.ringRadiusY + spread * 0.3);
        const double front = 0.5 + 0.5 * std::sin(a);
        canvas.splat(x, y, 0.45 + 0.9 * rng.next() * front, mix(pink, cyan, rng.next()),
                     (0.3 + 1.6 * front) * rng.next());
    }
}

void drawTitle(Canvas& canvas) {
    const Layout& l = canvas.layout;
    const int scale = l.titleScale, top = l.titleTop;
    const int left = (l.width - textWidth(l.title, scale, l.titleGap)) / 2;
    const std::vector<double> mask = textMask(l, l.title, left, top, scale, l.titleGap);
    const std::vector<double> glow = blur(l, mask, l.titleGlow);
    for (int y = 0; y < l.height; ++y)
        for (int x = 0; x < l.width; ++x) {
            const double t = std::clamp((y - top) / (7.0 * scale), 0.0, 1.0);
            const Rgb fill = t < 0.5 ? mix(cyan, violet, t * 2) : mix(violet, pink, t * 2 - 1);
            canvas.add(x, y, fill, 0.9 * glow[y * l.width + x]);
            if (mask[y * l.width + x] > 0) {
                // Lit cells with a dark seam between them, like an LED panel.
                const int cx = (x - left) % scale, cy = (y - top) % scale;
                const double seam = (cx == scale - 1 || cy == scale - 1) ? 0.45 : 1.0;
                canvas.at(x, y) = mix(fill, white, cy == 0 ? 0.45 : 0.0);
                Rgb& p = canvas.at(x, y);
                p = {p.r * seam, p.g * seam, p.b * seam};
            }
        }
    if (!l.byline)
        return;

    constexpr std::string_view byline = "// SORVA";
    constexpr int smallScale = 2, smallGap = 4, smallTop = 87;
    const int smallLeft = (l.width - textWidth(byline, smallScale, smallGap)) / 2;
    const std::vector<double> small =
        textMask(l, byline, smallLeft, smallTop, smallScale, smallGap);
    const std::vector<double> smallGlow = blur(l, small, 2);
    for (int i = 0; i < l.width * l.height; ++i) {
        canvas.add(i % l.width, i / l.width, cyan, 0.8 * smallGlow[i]);
        if (small[i] > 0)
            canvas.pixels[i] = mix(white, cyan, 0.3);
    }
}

std::vector<std::uint8_t> toneMap(Canvas& canvas) {
    const Layout& l = canvas.layout;
    std::vector<std::uint8_t> rgb(l.width * l.height * 3);
    for (int y = 0; y < l.height; ++y)
        for (int x = 0; x < l.width; ++x) {
            const Rgb p = canvas.at(x, y);
            const double dx = (x - l.width / 2.0) / l.width, dy = (y - l.height / 2.0) / l.height;
            const double vignette = 1.0 - 0.9 * (dx * dx + dy * dy);
            const double scanline = y % 2 ? 0.88 : 1.0;
            const double c[3] = {p.r, p.g, p.b};
            for (int k = 0; k < 3; ++k) {
                const double v = 1.0 - std::exp(-c[k] * 1.4 * vignette * scanline);
                const double encoded = std::pow(std::clamp(v, 0.0, 1.0), 1.0 / 2.2);
                rgb[(y * l.width + x) * 3 + k] = static_cast<std::uint8_t>(encoded * 255.0 + 0.5);
            }
        }
    return rgb;
}

std::vector<std::uint8_t> draw(const Layout& layout) {
    Canvas canvas{layout};
    drawSky(canvas);
    drawFloor(canvas);
    drawParticles(canvas);
    drawTitle(canvas);
    return toneMap(canvas);
}

// Coverage of a square with rounded corners (a fifth of its side) at pixel
// (x, y) of a side x side picture, anti-aliased over one pixel.
double roundedSquare(int x, int y, int side) {
    const double radius = side / 5.0;
    const double half = side / 2.0;
    const double dx = std::max(std::abs(x + 0.5 - half) - (half - radius), 0.0);
    const double dy = std::max(std::abs(y + 0.5 - half) - (half - radius), 0.0);
    return std::clamp(radius + 0.5 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
}

} // namespace

std::vector<std::uint8_t> drawBanner() {
    return draw(bannerLayout);
}

std::vector<std::uint8_t> drawIcon(int size) {
    const std::vector<std::uint8_t> rgb = draw(iconLayout);
    // Each pixel of the result averages the square of the large picture it
    // covers, weighted by how much of each large pixel lies in it; colour is
    // weighted by coverage (premultiplied), so corners do not darken.
    const double step = double(iconSize) / size;
    std::vector<std::uint8_t> rgba(std::size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[4] = {0, 0, 0, 0}, weights = 0;
            for (int sy = int(y * step); sy < std::min(iconSize, int(std::ceil((y + 1) * step)));
                 ++sy)
                for (int sx = int(x * step);
                     sx < std::min(iconSize, int(std::ceil((x + 1) * step))); ++sx) {
                    const double wy =
                        std::min(sy + 1.0, (y + 1) * step) - std::max(double(sy), y * step);
                    const double wx =
                        std::min(sx + 1.0, (x + 1) * step) - std::max(double(sx), x * step);
                    const double w = wx * wy, alpha = roundedSquare(sx, sy, iconSize);
                    for (int k = 0; k < 3; ++k)
                        sum[k] += w * alpha * rgb[(sy * iconSize + sx) * 3 + k];
                    sum[3] += w * alpha;
                    weights += w;
                }
            std::uint8_t* out = &rgba[(std::size_t(y) * size + x) * 4];
            for (int k = 0; k < 3; ++k)
                out[k] = sum[3] > 0 ? std::uint8_t(std::lround(sum[k] / sum[3])) : 0;
            out[3] = std::uint8_t(std::lround(255.0 * sum[3] / weights));
        }
    return rgba;
}

} // namespace Sorva
