// The track-driven camera.
#include "scene/CameraRig.h"

#include "scene/RigMath.h"
#include "scene/Snoise.h"
#include "sync/MusicClock.h"

#include <cmath>

namespace Sorva {

namespace {

constexpr float degree = 0.017453292f;

} // namespace

CameraRig::CameraRig(Gl::Surface& surface, const std::string& prefix)
    : surface_(surface), posX_(prefix + "-cam-pos-x"), posY_(prefix + "-cam-pos-y"),
      posZ_(prefix + "-cam-pos-z"), roll_(prefix + "-cam-or-roll"),
      pitch_(prefix + "-cam-or-pitch"), yaw_(prefix + "-cam-or-yaw"),
      rollShake_(prefix + "-cam-roll-shake"), pitchShake_(prefix + "-cam-pitch-shake"),
      yawShake_(prefix + "-cam-yaw-shake"), shakeFreq_(prefix + "-cam-shake-freq"),
      fov_(prefix + "-cam-fov"), nearZ_(prefix + "-cam-near-z"), farZ_(prefix + "-cam-far-z"),
      veloX_(prefix + "-velo-x") {}

void CameraRig::advanceShake() {
    shakePhase_ = static_cast<float>(static_cast<double>(shakePhase_) + shakeFreq_.value() / 60.0);
}

CameraRig::Vec3 CameraRig::position() const {
    const double row = MusicClock::instance().pictureRow();
    return {static_cast<float>(posX_.value() + row * veloX_.value()),
            static_cast<float>(posY_.value()), static_cast<float>(posZ_.value())};
}

void CameraRig::shake(Vec3& v) const {
    const float a = (static_cast<float>(roll_.value()) +
                     snoise(shakePhase_, 0.0f) * static_cast<float>(rollShake_.value())) *
                    degree;
    const Vec3 x = v;
    v[1] = x[1] * std::cos(a) - x[2] * std::sin(a);
    v[2] = x[2] * std::cos(a) + x[1] * std::sin(a);

    const float b = (static_cast<float>(pitch_.value()) +
                     snoise(0.0f, shakePhase_) * static_cast<float>(pitchShake_.value())) *
                    degree;
    const Vec3 y = v;
    v[0] = y[0] * std::cos(b) + y[2] * std::sin(b);
    v[2] = y[2] * std::cos(b) - y[0] * std::sin(b);

    const float c = (static_cast<float>(yaw_.value()) +
                     snoise(-shakePhase_, shakePhase_) * static_cast<float>(yawShake_.value())) *
                    degree;
    const Vec3 z = v;
    v[0] = z[0] * std::cos(c) - z[1] * std::sin(c);
    v[1] = z[1] * std::cos(c) + z[0] * std::sin(c);
}

CameraRig::Vec3 CameraRig::right() const {
    Vec3 v{1.0f, 0.0f, 0.0f};
    shake(v);
    return v;
}

CameraRig::Vec3 CameraRig::up() const {
    Vec3 v{0.0f, 1.0f, 0.0f};
    shake(v);
    return v;
}

CameraRig::Mat4 CameraRig::view() const {
    const Vec3 eye = position();
    Vec3 forward{0.0f, 0.0f, 1.0f};
    shake(forward);
    const Vec3 upward = up();
    const Vec3 centre{eye[0] + forward[0], eye[1] + forward[1], eye[2] + forward[2]};

    const Vec3 f = RigMath::normalize({centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]});
    const Vec3 s = RigMath::normalize(RigMath::cross(f, RigMath::normalize(upward)));
    const Vec3 u = RigMath::cross(s, f);
    return {s[0],
            u[0],
            -f[0],
            0.0f,
            s[1],
            u[1],
            -f[1],
            0.0f,
            s[2],
            u[2],
            -f[2],
            0.0f,
            -RigMath::dot(s, eye),
            -RigMath::dot(u, eye),
            RigMath::dot(f, eye),
            1.0f};
}

CameraRig::Mat4 CameraRig::projection() const {
    const double far = farZ_.value();
    const double near = nearZ_.value();
    const double aspect =
        static_cast<double>(surface_.width()) / static_cast<double>(surface_.height());
    const double fov = fov_.value();
    const double top = std::tan(fov * 0.5 * 0.017453292519943295) * near;
    const double right = aspect * top;

    Mat4 m{};
    m[0] = static_cast<float>(2.0 * near / (right - (-right)));
    m[5] = static_cast<float>(2.0 * near / (top - (-top)));
    m[10] = static_cast<float>(-(far + near) / (far - near));
    m[11] = -1.0f;
    m[14] = static_cast<float>(-(far * 2.0 * near) / (far - near));
    return m;
}

} // namespace Sorva
