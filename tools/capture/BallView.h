// What the particle ball shows and from where, for the show report: a
// camera rig on the ball's tracks and its three emitters, followed as the
// ball follows them. Once per call of the ball's render, the rig's shake
// moves on and an emitter whose image changed latches a new place; the ball
// itself keeps both to itself.
#pragma once

#include "fx/SpriteEmitter.h"
#include "gl/Surface.h"
#include "scene/CameraRig.h"
#include "sync/Track.h"
#include "tools/capture/SilhouetteMatch.h"

#include <array>
#include <cstdint>

namespace Sorva {

class BallView {
public:
    struct Emitter {
        std::uint32_t image = 0; // index into the ball's sprite list
        double share = 0.0;      // of the particles it spawns, 0 to 1
        SpritePlacement placement;
    };

    // surface: the ball's, for the camera's aspect.
    explicit BallView(Gl::Surface& surface);

    // At a frame in which the ball renders, with the music at that frame.
    void advance();
    // The emitters as the ball's last render laid them out, and its camera
    // at the current music row.
    std::array<Emitter, 3> emitters() const;

private:
    CameraRig camera_;
    std::array<SpriteEmitter, 3> tracked_;
    std::array<SpriteEmitter, 3> latched_;
    Track radius_;
};

} // namespace Sorva
