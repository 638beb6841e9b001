// The wall is built as a height field, an albedo and an emission, then lit
// from the upper left. Every feature lies inside the tile or repeats with it,
// and blurs and noise wrap, so opposite edges meet without a seam.
#include "tools/images/TunnelTexture.h"

#include "tools/images/PeriodicNoise.h"
#include "tools/images/Plane.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace Sorva::Images {

namespace {

constexpr int size = 512;
constexpr int rowPitch = 128;
constexpr int ribHeight = 16;
constexpr float surface = 0.6f; // height of a panel's face; grooves are 0

struct Colour {
    float r, g, b;
};

Colour operator*(Colour c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
Colour operator+(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Colour mix(Colour a, Colour b, float t) {
    return a * (1.0f - t) + b * t;
}

constexpr Colour steel{0.46f, 0.50f, 0.56f};
constexpr Colour gunmetal{0.27f, 0.29f, 0.33f};
constexpr Colour groove{0.05f, 0.055f, 0.065f};
constexpr Colour hazard{0.80f, 0.62f, 0.14f};
constexpr Colour cyanLight{0.35f, 0.85f, 1.0f};
constexpr Colour amberLight{1.0f, 0.55f, 0.18f};
constexpr Colour redLight{1.0f, 0.22f, 0.12f};

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A small seeded generator for the layout.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : state_(seed) {}
    float uniform() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ >> 8) / 16777216.0f;
    }
    int below(int n) { return static_cast<int>(uniform() * n); }

private:
    std::uint32_t state_;
};

enum class Kind { plain, vent, light, hatch };

struct Panel {
    int x, y, w, h;
    Kind kind;
    Colour tint;
    Colour glow; // of a light panel
};

struct Wall {
    Plane height{size, size};
    Plane albedoR{size, size}, albedoG{size, size}, albedoB{size, size};
    Plane glowR{size, size}, glowG{size, size}, glowB{size, size};
    Plane shine{size, size};

    void setAlbedo(int x, int y, Colour c) {
        albedoR.at(x, y) = c.r;
        albedoG.at(x, y) = c.g;
        albedoB.at(x, y) = c.b;
    }
    Colour albedo(int x, int y) const {
        return {albedoR.at(x, y), albedoG.at(x, y), albedoB.at(x, y)};
    }
    void addGlow(int x, int y, Colour c) {
        glowR.at(x, y) += c.r;
        glowG.at(x, y) += c.g;
        glowB.at(x, y) += c.b;
    }
};

std::vector<Panel> layout(Dice& dice) {
    std::vector<Panel> panels;
    constexpr int widths[] = {64, 128, 128, 192, 256};
    for (int row = 0; row < size / rowPitch; ++row) {
        const int top = row * rowPitch + ribHeight;
        const int h = rowPitch - ribHeight;
        for (int x = 0; x < size;) {
            int w = widths[dice.below(5)];
            while (x + w > size)
                w -= 64;
            const bool split = w >= 128 && dice.uniform() < 0.35f;
            for (int part = 0; part < (split ? 2 : 1); ++part) {
                const int ph = split ? h / 2 : h;
                const float roll = dice.uniform();
                Kind kind = roll < 0.38f ? Kind::plain : roll < 0.66f ? Kind::vent : Kind::light;
                if (ph > 96 && w >= 96 && w <= 192 && dice.uniform() < 0.5f)
                    kind = Kind::hatch;
                const float shade = 0.78f + 0.34f * dice.uniform();
                const float cold = 1.0f + 0.12f * dice.uniform();
                panels.push_back({x, top + part * ph, w, ph, kind,
                                  Colour{shade, shade, shade * cold},
                                  dice.uniform() < 0.2f ? amberLight : cyanLight});
            }
            x += w;
        }
    }
    return panels;
}

// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// A round dome of `radius` around (cx, cy): adds height and lightens the metal.
void dome(Wall& wall, int x, int y, float px, float py, float cx, float cy, float radius,
          float rise) {
    const float r = std::hypot(px - cx, py - cy) / radius;
    if (r >= 1.0f)
        return;
    wall.height.at(x, y) += rise * std::sqrt(1.0f - r * r);
    wall.setAlbedo(x, y, wall.albedo(x, y) * 1.25f);
    wall.shine.at(x, y) = 1.0f;
}

void drawPanel(Wall& wall, const Panel& p) {
    const float w = static_cast<float>(p.w), h = static_cast<float>(p.h);
    const Colour metal{steel.r * p.tint.r, steel.g * p.tint.g, steel.b * p.tint.b};
    for (int iy = 0; iy < p.h; ++iy)
        for (int ix = 0; ix < p.w; ++ix) {
            const int x = p.x + ix, y = p.y + iy;
            const float px = ix + 0.5f, py = iy + 0.5f;
            const float edge = std::min({px, w - px, py, h - py});
            float height = surface * smoothstep(1.5f, 5.0f, edge);
            Colour albedo = edge < 1.5f ? groove : metal;
            if (edge >= 1.5f && edge < 5.0f)
                albedo = albedo * 1.12f; // paint worn off the bevel
            float shine = 0.5f;

            switch (p.kind) {
            case Kind::plain:
                // An engraved line framing the face.
                height -= 0.12f * std::max(0.0f, 1.0f - std::abs(edge - 11.0f));
                break;
            case Kind::vent: {
                constexpr float inset = 14.0f, pitch = 10.0f, slot = 5.0f;
                const int slots = static_cast<int>((h - 2 * inset + pitch - slot) / pitch);
                const float sy = py - inset;
                const int n = static_cast<int>(std::floor(sy / pitch));
                if (sy >= 0 && n < slots && px > inset && px < w - inset) {
                    const float local = sy - n * pitch;
                    const float d = std::min({local, slot - local, px - inset, w - inset - px});
                    if (local < slot) {
                        const float depth = smoothstep(0.0f, 1.5f, d);
                        height -= 0.4f * depth;
                        albedo = mix(albedo, groove, depth);
                    }
                }
                break;
            }
            case Kind::light: {
                const bool across = p.w >= p.h;
                const float d = across ? segmentDistance(px, py, 18, h / 2, w - 18, h / 2)
                                       : segmentDistance(px, py, w / 2, 18, w / 2, h - 18);
                height -= 0.3f * smoothstep(7.0f, 5.0f, d);
                if (d < 5.0f)
                    albedo = mix(albedo, groove, smoothstep(5.0f, 3.5f, d));
                const float lit = smoothstep(3.2f, 1.6f, d);
                if (lit > 0.0f)
                    wall.addGlow(x, y, p.glow * lit);
                break;
            }
            case Kind::hatch: {
                const float radius = std::min(w, h) * 0.32f;
                const float r = std::hypot(px - w / 2, py - h / 2);
                if (r < radius + 2.0f) {
                    const float ring = std::abs(r - radius);
                    height = surface + 0.08f * smoothstep(radius, 0.0f, r);
                    height -= (surface - 0.05f) * smoothstep(2.0f, 0.5f, ring);
                    if (ring < 1.2f)
                        albedo = groove;
                    else
                        albedo = gunmetal * p.tint.r;
                    if (r < 9.0f)
                        height += 0.1f * smoothstep(9.0f, 6.0f, r);
                    shine = 0.8f;
                }
                break;
            }
            }
            wall.height.at(x, y) = height;
            wall.setAlbedo(x, y, albedo);
            wall.shine.at(x, y) = shine;

            for (float cx : {7.0f, w - 7.0f})
                for (float cy : {7.0f, h - 7.0f})
                    dome(wall, x, y, px, py, cx, cy, 2.6f, 0.25f);
            if (p.kind == Kind::hatch) {
                const float radius = std::min(w, h) * 0.32f - 7.0f;
                for (int i = 0; i < 6; ++i) {
                    const float a = i * std::numbers::pi_v<float> / 3.0f + 0.5f;
                    dome(wall, x, y, px, py, w / 2 + radius * std::cos(a),
                         h / 2 + radius * std::sin(a), 2.4f, 0.2f);
                }
            }
        }
}

// The rib across the tile above each row of panels: bolts every 32 pixels,
// an indicator light between two of them every 128, and on one row stripes.
void drawRib(Wall& wall, int row, Dice& dice) {
    const int top = row * rowPitch;
    const bool striped = row == 2;
    const int lightOffset = 32 * dice.below(4);
    const Colour light = dice.uniform() < 0.5f ? redLight : cyanLight;
    for (int iy = 0; iy < ribHeight; ++iy)
        for (int x = 0; x < size; ++x) {
            const int y = top + iy;
            const float px = x + 0.5f, py = iy + 0.5f;
            const float edge = std::min(py, ribHeight - py);
            const float t = py / ribHeight;
            wall.height.at(x, y) = (0.78f + 0.2f * std::sin(t * std::numbers::pi_v<float>)) *
                                   smoothstep(0.5f, 3.0f, edge);
            Colour albedo = edge < 1.0f ? groove : gunmetal;
            if (striped && edge > 3.0f)
                albedo = (x + iy) / 12 % 2 ? hazard : Colour{0.08f, 0.08f, 0.09f};
            wall.setAlbedo(x, y, albedo);
            wall.shine.at(x, y) = 0.7f;

            const int cell = x % 32;
            dome(wall, x, y, px, py, x - cell + 16.0f, ribHeight / 2.0f, 3.4f, 0.3f);
            const int lamp = (x - lightOffset + size) % 128;
            if (lamp >= 28 && lamp < 36 && std::abs(py - ribHeight / 2.0f) < 2.0f) {
                wall.setAlbedo(x, y, groove);
                wall.addGlow(x, y, light);
            }
        }
}

// Grime in patches and in streaks running down the wall, grain, and short
// bright scratches; all wrap around the tile.
void weather(Wall& wall, Dice& dice) {
    const PeriodicNoise noise(0x54554E4Eu);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / size, v = static_cast<float>(y) / size;
            const float patches = noise.fractal(u, v, 4, 4);
            const float streaks = noise.gradient(u * 96, v * 6, 96, 6, 10);
            const float grain = noise.gradient(u * 128, v * 128, 128, 128, 9);
            const float k =
                0.88f + 0.22f * patches - 0.1f * std::max(0.0f, streaks) + 0.06f * grain;
            wall.setAlbedo(x, y, wall.albedo(x, y) * k);
        }
    Plane scratches(size, size);
    for (int i = 0; i < 260; ++i) {
        const float x0 = dice.uniform() * size, y0 = dice.uniform() * size;
        const float angle = (dice.uniform() - 0.5f) * 1.2f + (dice.uniform() < 0.3f ? 1.57f : 0.0f);
        const float length = 4.0f + 22.0f * dice.uniform() * dice.uniform();
        for (float t = 0; t < length; t += 0.5f) {
            const int x = static_cast<int>(x0 + t * std::cos(angle)) & (size - 1);
            const int y = static_cast<int>(y0 + t * std::sin(angle)) & (size - 1);
            scratches.at(x, y) = std::sin(t / length * std::numbers::pi_v<float>);
        }
    }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (wall.height.at(x, y) > 0.4f)
                wall.setAlbedo(x, y, wall.albedo(x, y) * (1.0f + 0.35f * scratches.at(x, y)));
}

} // namespace

RgbaImage makeTunnelTexture() {
    Wall wall;
    Dice dice(0x7A11C0DEu);
    for (int row = 0; row < size / rowPitch; ++row)
        drawRib(wall, row, dice);
    for (const Panel& panel : layout(dice))
        drawPanel(wall, panel);
    weather(wall, dice);

    const Plane ambient = gaussianBlur(wall.height, 3.0f, Edge::wrap);
    const Plane haloR = gaussianBlur(wall.glowR, 5.0f, Edge::wrap);
    const Plane haloG = gaussianBlur(wall.glowG, 5.0f, Edge::wrap);
    const Plane haloB = gaussianBlur(wall.glowB, 5.0f, Edge::wrap);
    const float lx = -0.5f, ly = -0.65f, lz = 0.58f; // towards the light, y down
    const float hx = lx, hy = ly, hz = lz + 1.0f;    // half-way vector to a viewer above
    const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    const float steepness = 5.0f;

    RgbaImage image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Plane& H = wall.height;
            float nx = -(H.wrapped(x + 1, y) - H.wrapped(x - 1, y)) * 0.5f * steepness;
            float ny = -(H.wrapped(x, y + 1) - H.wrapped(x, y - 1)) * 0.5f * steepness;
            float nz = 1.0f;
            const float nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= nl, ny /= nl, nz /= nl;
            const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
            const float specular =
                std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 40.0f);
            const float occlusion = std::clamp(
                1.0f - 2.2f * std::max(0.0f, ambient.at(x, y) - H.at(x, y)), 0.25f, 1.0f);
            const float light = (0.2f + 0.95f * diffuse) * occlusion;
            const float spec = 0.45f * specular * wall.shine.at(x, y) * occlusion;
            const Colour glow{wall.glowR.at(x, y) + 0.9f * haloR.at(x, y),
                              wall.glowG.at(x, y) + 0.9f * haloG.at(x, y),
                              wall.glowB.at(x, y) + 0.9f * haloB.at(x, y)};
            const Colour c = wall.albedo(x, y) * light + Colour{spec, spec, spec} + glow;
            const float glowAmount = std::max({glow.r, glow.g, glow.b});
            image.set(x, y, {c.r, c.g, c.b, std::min(1.0f, glowAmount)});
        }
    return image;
}

} // namespace Sorva::Images
