// The hands backdrop.
#include "fx/BackgroundFx.h"

#include "scene/EffectPass.h"
#include "sync/MusicClock.h"
#include "sync/Track.h"

namespace Sorva {

BackgroundFx::BackgroundFx(Gl::Surface& surface)
    : surface_(surface), generator_("./data/shaders/hands/a.fs", &surface),
      paint_("./data/shaders/hands/b.fs", &surface),
      present_("./data/shaders/hands/image.fs", &surface) {
    for (Gl::Fbo* buffer : {&buffer1_, &buffer2_, &buffer3_, &buffer4_})
        buffer->setup(surface_.width(), surface_.height(), 1, true);
}

void BackgroundFx::render(Gl::Fbo& target, const FxParams&) {
    const Track colorPaint("color-paint");
    const Track light("hands-light");
    // Odd calls draw the hands into 1 and paint into 3 over the history in
    // 4; even calls use 2, 4 and 3: each call's history is the last paint.
    const bool odd = (++frameCount_ & 1) != 0;
    Gl::Fbo& hands = odd ? buffer1_ : buffer2_;
    Gl::Fbo& painted = odd ? buffer3_ : buffer4_;
    Gl::Fbo& history = odd ? buffer4_ : buffer3_;
    // One unit of time every 32 rows (a bar).
    const float time = static_cast<float>(MusicClock::instance().pictureRow() * 0.03125);
    const float width = static_cast<float>(surface_.width());
    const float height = static_cast<float>(surface_.height());

    Gl::ShaderProgram* p = beginEffectPass(surface_, hands, generator_, {});
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", time);
    generator_.draw();

    p = beginEffectPass(
        surface_, painted, paint_,
        {{hands.colorTexture(0), "iChannel0"}, {history.colorTexture(0), "iChannel1"}});
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", time);
    p->setUniform1f("ColorPaint", static_cast<float>(colorPaint.value()));
    p->setUniform1f("Light", static_cast<float>(light.value()));
    paint_.draw();

    // Only the sampler: the presentation pass gets no time, size or paint.
    beginEffectPass(surface_, target, present_, {{painted.colorTexture(0), "iChannel0"}});
    present_.draw();
}

} // namespace Sorva
