// The particle ball's camera and latched emitters, followed from its tracks.
#include "tools/capture/BallView.h"

#include "fx/PBall.h"
#include "scene/RigMath.h"
#include "scene/Snoise.h"
#include "sync/MusicClock.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Sorva {

BallView::BallView(Gl::Surface& surface)
    : camera_(surface, "pball"), tracked_{makeEmitter("sprite-0"), makeEmitter("sprite-1"),
                                          makeEmitter("sprite-2")},
      latched_(tracked_), radius_("sprite-sample-radius") {}

// The ball's own steps, in its order: the shake, the camera's place, then
// each emitter refreshed and, when its index changed, latched at a jittered
// place.
void BallView::advance() {
    camera_.advanceShake();
    const CameraRig::Vec3 campos = camera_.position();
    for (std::size_t j = 0; j < tracked_.size(); ++j) {
        SpriteEmitter& tracked = tracked_[j];
        tracked.refresh();
        if (tracked.textureId == latched_[j].textureId)
            continue;
        const float v = static_cast<float>(std::floor(MusicClock::instance().pictureRow()));
        const float nz = snoise(v, v);
        const float ny = snoise(54.543f, v);
        const float nx = snoise(v, 43.0f);
        const double radius = radius_.value();
        tracked.pos = {static_cast<float>(campos[0] + tracked.pos[0] + radius * nx),
                       static_cast<float>(tracked.pos[1] + radius * ny),
                       static_cast<float>(tracked.pos[2] + radius * nz)};
        latched_[j] = tracked;
    }
}

std::array<BallView::Emitter, 3> BallView::emitters() const {
    const CameraRig::Mat4 viewProjection = RigMath::multiply(camera_.projection(), camera_.view());
    std::array<Emitter, 3> out;
    // A particle picks the first emitter whose cumulative probability lies
    // above its draw.
    double below = 0.0;
    for (std::size_t j = 0; j < out.size(); ++j) {
        const SpriteEmitter& e = latched_[j];
        const double reach = std::clamp(static_cast<double>(e.cumprob), 0.0, 1.0);
        out[j].image = SpriteEmitter::imageIndex(tracked_[j].textureId, PBall::spriteCount);
        out[j].share = std::max(0.0, reach - below);
        below = std::max(below, reach);
        out[j].placement = {viewProjection, e.pos, e.scale};
    }
    return out;
}

} // namespace Sorva
