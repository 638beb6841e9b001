// The particle ball's sprite as its camera sees it, against the frame.
#include "tools/capture/SilhouetteMatch.h"

#include "tools/capture/FrameRegions.h"

#include <algorithm>
#include <cmath>

namespace Sorva {

namespace {

using Mat3 = std::array<double, 9>; // row-major

// How far towards the camera, in units of the emitter's z scale, the ball
// lays the sprite's point q (its centre at 0, its height 1): a dome, and on
// average half the random depth it adds.
double dome(double qx, double qy) {
    return 0.3 * std::max(1.0 - 2.0 * (qx * qx + qy * qy), 0.0) + 0.025;
}

constexpr double edgeDome = 0.025;
constexpr double topDome = 0.325;

// Clip coordinates x, y, w of the points (X, Y) of the plane z = Z, from
// (X, Y, 1).
Mat3 planeToClip(const std::array<float, 16>& m, double z) {
    return {m[0], m[4], m[8] * z + m[12], m[1], m[5], m[9] * z + m[13],
            m[3], m[7], m[11] * z + m[15]};
}

std::optional<Mat3> invert(const Mat3& a) {
    const double c0 = a[4] * a[8] - a[5] * a[7];
    const double c1 = a[5] * a[6] - a[3] * a[8];
    const double c2 = a[3] * a[7] - a[4] * a[6];
    const double det = a[0] * c0 + a[1] * c1 + a[2] * c2;
    if (!(std::abs(det) > 1e-12))
        return std::nullopt;
    return Mat3{c0 / det, (a[2] * a[7] - a[1] * a[8]) / det, (a[1] * a[5] - a[2] * a[4]) / det,
                c1 / det, (a[0] * a[8] - a[2] * a[6]) / det, (a[2] * a[3] - a[0] * a[5]) / det,
                c2 / det, (a[1] * a[6] - a[0] * a[7]) / det, (a[0] * a[4] - a[1] * a[3]) / det};
}

// Where the ray through a point of the screen (in normalised device
// coordinates) meets the laid-out sprite, as the sprite's point q: a few
// rounds of "the plane at the dome's depth there" settle.
std::optional<std::array<double, 2>> onDome(const SpritePlacement& placement, double nx,
                                            double ny) {
    const auto& [px, py, pz] = placement.pos;
    const auto& [sx, sy, sz] = placement.scale;
    double d = edgeDome, qx = 0.0, qy = 0.0;
    for (int round = 0; round < 3; ++round) {
        const std::optional<Mat3> inverse =
            invert(planeToClip(placement.viewProjection, pz - d * sz));
        if (!inverse)
            return std::nullopt;
        const Mat3& i = *inverse;
        const double w = i[6] * nx + i[7] * ny + i[8];
        if (w == 0.0)
            return std::nullopt;
        qx = ((i[0] * nx + i[1] * ny + i[2]) / w - px) / sx;
        qy = ((i[3] * nx + i[4] * ny + i[5]) / w - py) / sy;
        d = dome(qx, qy);
    }
    return std::array<double, 2>{qx, qy};
}

// Bilinear opacity at sprite coordinates (u, v) in [0, 1], 0 outside.
double opacity(const SpriteAlpha& sprite, double u, double v) {
    const double x = u * sprite.width - 0.5, y = v * sprite.height - 0.5;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const auto at = [&](int px, int py) -> double {
        if (px < 0 || py < 0 || px >= sprite.width || py >= sprite.height)
            return 0.0;
        return sprite.alpha[static_cast<std::size_t>(py) * sprite.width + px] / 255.0;
    };
    return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
           fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}

// Otsu's threshold of a luma histogram: values above it are the cloud.
int otsu(const std::array<double, 256>& histogram) {
    double total = 0.0, sum = 0.0;
    for (int i = 0; i < 256; ++i) {
        total += histogram[i];
        sum += i * histogram[i];
    }
    double below = 0.0, belowSum = 0.0, best = -1.0;
    int threshold = 0;
    for (int t = 0; t < 255; ++t) {
        below += histogram[t];
        belowSum += t * histogram[t];
        const double above = total - below;
        if (below == 0.0 || above == 0.0)
            continue;
        const double d = belowSum / below - (sum - belowSum) / above;
        const double between = below * above * d * d;
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    return threshold;
}

// The Pearson correlation of the luma above Otsu's threshold of its
// histogram with the opacity expected at each pixel; 0 when either is flat.
double correlation(const std::vector<std::uint8_t>& luma, const std::vector<float>& expected,
                   const std::array<double, 256>& histogram) {
    const int threshold = otsu(histogram);
    double n = 0.0, sa = 0.0, sb = 0.0, saa = 0.0, sbb = 0.0, sab = 0.0;
    for (std::size_t i = 0; i < luma.size(); ++i) {
        const double a = luma[i] > threshold ? 1.0 : 0.0;
        const double b = expected[i];
        n += 1.0, sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
    }
    const double va = n * saa - sa * sa, vb = n * sbb - sb * sb;
    if (!(va > 0.0) || !(vb > 0.0))
        return 0.0;
    return (n * sab - sa * sb) / std::sqrt(va * vb);
}

struct Box {
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    void add(double x, double y) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
    }
    double area() const { return std::max(0.0, right - left) * std::max(0.0, bottom - top); }
};

} // namespace

std::optional<double> SilhouetteMatch::match(const FrameRegions& regions, const std::uint8_t* rgb,
                                             const SpriteAlpha& sprite,
                                             const SpritePlacement& placement) {
    const auto& [px, py, pz] = placement.pos;
    const auto& [sx, sy, sz] = placement.scale;
    if (sprite.width < 1 || sprite.height < 1 || sx == 0.0f || sy == 0.0f)
        return std::nullopt;
    const double aspect = static_cast<double>(sprite.width) / sprite.height;
    const double width = regions.width(), height = regions.height();
    const auto& m = placement.viewProjection;

    // The rectangle's corners flat, and at the dome's top, on screen.
    Box flat, bulged;
    for (const double d : {edgeDome, topDome})
        for (const double qx : {-aspect / 2, aspect / 2})
            for (const double qy : {-0.5, 0.5}) {
                const double x = px + qx * sx, y = py + qy * sy, z = pz - d * sz;
                const double cw = m[3] * x + m[7] * y + m[11] * z + m[15];
                if (!(cw > 0.0))
                    return std::nullopt;
                const double cx = m[0] * x + m[4] * y + m[8] * z + m[12];
                const double cy = m[1] * x + m[5] * y + m[9] * z + m[13];
                const double screenX = (cx / cw + 1.0) / 2.0 * width;
                const double screenY = (1.0 - cy / cw) / 2.0 * height;
                if (d == edgeDome)
                    flat.add(screenX, screenY);
                bulged.add(screenX, screenY);
            }
    Box seen = flat;
    seen.left = std::max(seen.left, 0.0), seen.right = std::min(seen.right, width);
    seen.top = std::max<double>(seen.top, regions.pictureTop());
    seen.bottom = std::min<double>(seen.bottom, regions.pictureBottom());
    if (!(flat.area() > 0.0) || seen.area() < 0.5 * flat.area())
        return std::nullopt;

    const double mx = margin * (bulged.right - bulged.left);
    const double my = margin * (bulged.bottom - bulged.top);
    const int x0 = std::max(0, static_cast<int>(std::floor(bulged.left - mx)));
    const int x1 = std::min(regions.width(), static_cast<int>(std::ceil(bulged.right + mx)));
    const int y0 = std::max(regions.pictureTop(), static_cast<int>(std::floor(bulged.top - my)));
    const int y1 =
        std::min(regions.pictureBottom(), static_cast<int>(std::ceil(bulged.bottom + my)));

    std::vector<std::uint8_t> luma;
    std::vector<float> expected;
    std::array<double, 256> histogram{};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const auto q =
                onDome(placement, (x + 0.5) / width * 2.0 - 1.0, 1.0 - (y + 0.5) / height * 2.0);
            const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * regions.width() + x) * 3;
            const auto l =
                static_cast<std::uint8_t>(std::lround(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]));
            luma.push_back(l);
            histogram[l] += 1.0;
            expected.push_back(
                q ? static_cast<float>(opacity(sprite, 0.5 - (*q)[0] / aspect, 0.5 - (*q)[1]))
                  : 0.0f);
        }

    return correlation(luma, expected, histogram);
}

std::optional<double> SilhouetteMatch::matchFlat(const FrameRegions& regions,
                                                 const std::uint8_t* rgb, const SpriteAlpha& image,
                                                 double left, double top, double width,
                                                 double height) {
    if (image.width < 1 || image.height < 1 || !(width > 0.0) || !(height > 0.0))
        return std::nullopt;
    Box seen{std::max(left, 0.0), std::max<double>(top, regions.pictureTop()),
             std::min<double>(left + width, regions.width()),
             std::min<double>(top + height, regions.pictureBottom())};
    if (seen.area() < 0.5 * width * height)
        return std::nullopt;
    const int x0 = std::max(0, static_cast<int>(std::floor(left - margin * width)));
    const int x1 =
        std::min(regions.width(), static_cast<int>(std::ceil(left + (1 + margin) * width)));
    const int y0 =
        std::max(regions.pictureTop(), static_cast<int>(std::floor(top - margin * height)));
    const int y1 =
        std::min(regions.pictureBottom(), static_cast<int>(std::ceil(top + (1 + margin) * height)));
    std::vector<std::uint8_t> luma;
    std::vector<float> expected;
    std::array<double, 256> histogram{};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * regions.width() + x) * 3;
            const auto l =
                static_cast<std::uint8_t>(std::lround(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]));
            luma.push_back(l);
            histogram[l] += 1.0;
            expected.push_back(static_cast<float>(
                opacity(image, (x + 0.5 - left) / width, (y + 0.5 - top) / height)));
        }
    return correlation(luma, expected, histogram);
}

} // namespace Sorva
