// Float planes and their Gaussian blur.
#include "tools/images/Plane.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Images {

namespace {

int modulo(int i, int n) {
    return ((i % n) + n) % n;
}

std::vector<float> gaussianKernel(float sigma) {
    const int radius = static_cast<int>(std::ceil(sigma * 3.0f));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
    for (float& k : kernel)
        k /= sum;
    return kernel;
}

// One pass along x; the vertical pass runs on the transposed plane.
Plane blurRows(const Plane& source, const std::vector<float>& kernel, Edge edge) {
    const int radius = static_cast<int>(kernel.size() / 2);
    Plane out(source.height(), source.width());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            float sum = 0.0f;
            for (int i = -radius; i <= radius; ++i) {
                const int sx = x + i;
                if (edge == Edge::wrap)
                    sum += kernel[i + radius] * source.at(modulo(sx, source.width()), y);
                else if (sx >= 0 && sx < source.width())
                    sum += kernel[i + radius] * source.at(sx, y);
            }
            out.at(y, x) = sum;
        }
    return out;
}

} // namespace

float Plane::wrapped(int x, int y) const {
    return at(modulo(x, width_), modulo(y, height_));
}

void Plane::stampMax(const Plane& source, int left, int top) {
    for (int y = std::max(0, -top); y < source.height() && top + y < height_; ++y)
        for (int x = std::max(0, -left); x < source.width() && left + x < width_; ++x) {
            float& v = at(left + x, top + y);
            v = std::max(v, source.at(x, y));
        }
}

Plane gaussianBlur(const Plane& source, float sigma, Edge edge) {
    const std::vector<float> kernel = gaussianKernel(sigma);
    return blurRows(blurRows(source, kernel, edge), kernel, edge);
}

} // namespace Sorva::Images
