// The little vector and matrix arithmetic the camera and its users need, on
// the rig's types: 3-vectors and column-major 4 x 4 matrices, in float.
#pragma once

#include <array>
#include <cmath>

namespace Sorva::RigMath {

using Vec3 = std::array<float, 3>;
using Mat4 = std::array<float, 16>;

inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

inline float dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline Vec3 normalize(const Vec3& v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

// a x b, both column-major, as GL reads them.
inline Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + r] * b[4 * c + k];
            m[4 * c + r] = sum;
        }
    return m;
}

} // namespace Sorva::RigMath
