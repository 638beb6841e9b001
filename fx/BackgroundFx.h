// The hands backdrop behind the particle ball: a generator pass draws the
// hands, a paint pass smears them into its own history (ping-pong, coloured
// by the track "color-paint"), and a presentation pass grades the result
// into the target. Its time is the music row, not the parameter record.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "scene/EFx.h"

namespace Sorva {

class BackgroundFx : public EFx {
public:
    // Builds the three passes, then the four buffers with their storage.
    explicit BackgroundFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    Gl::Surface& surface_;
    Gl::ScreenPass generator_;
    Gl::ScreenPass paint_;
    Gl::ScreenPass present_;
    // Calls of render so far; its parity picks the buffers.
    int frameCount_ = 0;
    // 1 and 2 alternate as the generator's output, 3 and 4 as the paint
    // output and the paint history.
    Gl::Fbo buffer1_;
    Gl::Fbo buffer2_;
    Gl::Fbo buffer3_;
    Gl::Fbo buffer4_;
};

} // namespace Sorva
