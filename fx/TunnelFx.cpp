// The tunnel scene.
#include "fx/TunnelFx.h"

#include "gl/LoadTexture.h"
#include "scene/EffectPass.h"

#include <GL/glew.h>

namespace Sorva {

TunnelFx::TunnelFx(Gl::Surface& surface)
    : surface_(surface), sceneA_("./data/shaders/tunnel/a.fs", &surface),
      finish_("./data/shaders/tunnel/b.fs", &surface),
      sceneAA_("./data/shaders/tunnel/aa.fs", &surface), tunnelId_("tunnel-id"),
      wall_(GL_TEXTURE_2D) {
    tunnel_.setup(surface_.width(), surface_.height(), 1, true);
    Gl::loadTexture("./data/img/tunnel.png", wall_);
}

void TunnelFx::render(Gl::Fbo& target, const FxParams& params) {
    const float width = static_cast<float>(surface_.width());
    const float height = static_cast<float>(surface_.height());
    Gl::ScreenPass& scene = choosesA(static_cast<float>(tunnelId_.value())) ? sceneA_ : sceneAA_;

    // The tunnel's passes set their sampler last, after time and size.
    Gl::ShaderProgram* p = beginEffectPass(surface_, tunnel_, scene, {{&wall_, nullptr}});
    p->setUniform1f("iTime", params.iGlobalTime);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1i("iChannel0", 0);
    scene.draw();

    p = beginEffectPass(surface_, target, finish_, {{tunnel_.colorTexture(0), nullptr}});
    p->setUniform1f("iTime", params.iGlobalTime);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1i("iChannel0", 0);
    finish_.draw();
}

} // namespace Sorva
