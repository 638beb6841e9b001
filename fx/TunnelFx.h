// The tunnel scene (slot 3): one of two tunnel shaders, chosen per call by
// the track "tunnel-id", draws into the scene's own framebuffer from the
// wall texture; a finishing pass takes that into the target.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "gl/Texture.h"
#include "scene/EFx.h"
#include "sync/Track.h"

namespace Sorva {

class TunnelFx : public EFx {
public:
    // Builds the framebuffer, the three passes, the track and the wall
    // texture, in that order.
    explicit TunnelFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

    // Whether a "tunnel-id" value draws with "tunnel/a.fs": only above 0.5
    // (0.5 itself and NaN choose "tunnel/aa.fs").
    static bool choosesA(float tunnelId) { return tunnelId > 0.5f; }

private:
    Gl::Surface& surface_;
    Gl::Fbo tunnel_;
    Gl::ScreenPass sceneA_;
    Gl::ScreenPass finish_;
    Gl::ScreenPass sceneAA_;
    Track tunnelId_;
    Gl::Texture wall_;
};

} // namespace Sorva
