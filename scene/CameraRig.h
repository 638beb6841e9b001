// A camera whose every degree of freedom is a sync track under one prefix:
// position with a drift along x, three base angles each shaken by noise,
// field of view and clip distances. Every operation reads its tracks and the
// music row anew; the shake phase, advanced once per call of its user, is
// the only state.
#pragma once

#include "gl/Surface.h"
#include "sync/Track.h"

#include <array>
#include <string>

namespace Sorva {

class CameraRig {
public:
    using Vec3 = std::array<float, 3>;
    // Column-major: row r, column c at 4c + r, ready for glUniformMatrix4fv
    // without transposition.
    using Mat4 = std::array<float, 16>;

    // Obtains the tracks prefix + "-cam-pos-x" ... "-cam-far-z", "-velo-x".
    CameraRig(Gl::Surface& surface, const std::string& prefix);

    // Moves the shake's noise coordinate by "-cam-shake-freq" / 60.
    void advanceShake();
    // "-cam-pos-*", x drifting by "-velo-x" per row since the music began.
    Vec3 position() const;
    // Turns v about x (roll), then y (pitch), then z (yaw): each turn its
    // base angle plus noise times its shake amplitude, in degrees.
    void shake(Vec3& v) const;
    Vec3 right() const;
    Vec3 up() const;
    // Right-handed look-at from position() along the shaken +z, shaken +y up.
    Mat4 view() const;
    // Symmetric perspective from "-cam-fov" (vertical, degrees) and the clip
    // distances at the surface's aspect, clip depth -1 to 1.
    Mat4 projection() const;

    float shakePhase() const { return shakePhase_; }

private:
    Gl::Surface& surface_;
    Track posX_;
    Track posY_;
    Track posZ_;
    Track roll_;
    Track pitch_;
    Track yaw_;
    Track rollShake_;
    Track pitchShake_;
    Track yawShake_;
    Track shakeFreq_;
    Track fov_;
    Track nearZ_;
    Track farZ_;
    Track veloX_;
    float shakePhase_ = 0.0f;
};

} // namespace Sorva
