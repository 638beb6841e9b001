// The blue feedback scene.
#include "fx/FeedbackFx.h"

#include "gl/LoadTexture.h"
#include "scene/EffectPass.h"

#include <GL/glew.h>

namespace Sorva {

FeedbackFx::FeedbackFx(Gl::Surface& surface)
    : surface_(surface), feedback_("./data/shaders/fba.fs", &surface),
      composite_("./data/shaders/fbb.fs", &surface), noise_(GL_TEXTURE_2D), title1_(GL_TEXTURE_2D),
      title2_(GL_TEXTURE_2D), title3_(GL_TEXTURE_2D), greets_(GL_TEXTURE_2D),
      reset_("blue-feedback-reset"), weightBg_("blue-feedback-w-bg"), weightA_("blue-feedback-w-a"),
      weightB_("blue-feedback-w-b"), weightC_("blue-feedback-w-c"),
      weightGreets_("blue-feedback-w-greet"), yThreshold_("blue-feedback-tex-y-threshold"),
      greetF_("blue-feedback-greet-F") {
    bufferA_.setup(surface_.width(), surface_.height(), 1, true);
    bufferB_.setup(surface_.width(), surface_.height(), 1, true);
    Gl::loadTexture("./data/img/noisetex.png", noise_);
    Gl::loadTexture("./data/img/title1.png", title1_);
    Gl::loadTexture("./data/img/title2.png", title2_);
    Gl::loadTexture("./data/img/title3.png", title3_);
    Gl::loadTexture("./data/img/greets.png", greets_);
}

void FeedbackFx::render(Gl::Fbo& target, const FxParams& params) {
    // Odd calls write A and read B, even calls the other way round: every
    // call reads what the call before it wrote, however far apart they are.
    const bool odd = (++frameCount_ & 1) != 0;
    Gl::Fbo& read = odd ? bufferB_ : bufferA_;
    Gl::Fbo& write = odd ? bufferA_ : bufferB_;
    const float width = static_cast<float>(surface_.width());
    const float height = static_cast<float>(surface_.height());

    Gl::ShaderProgram* p = beginEffectPass(
        surface_, write, feedback_, {{read.colorTexture(0), "iChannel0"}, {&noise_, "iChannel1"}});
    p->setUniform2f("iResolution", width, height);
    p->setUniform3f("iMouse", params.iMouseX, params.iMouseY, params.iMouseZ);
    p->setUniform1f("resetMe", static_cast<float>(reset_.value()));
    feedback_.draw();

    p = beginEffectPass(surface_, target, composite_,
                        {{write.colorTexture(0), "iChannel0"},
                         {&title1_, "titleA"},
                         {&title2_, "titleB"},
                         {&title3_, "titleC"},
                         {&greets_, "greets"}});
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("weightBg", static_cast<float>(weightBg_.value()));
    p->setUniform1f("weightA", static_cast<float>(weightA_.value()));
    p->setUniform1f("weightB", static_cast<float>(weightB_.value()));
    p->setUniform1f("weightC", static_cast<float>(weightC_.value()));
    p->setUniform1f("weightGreets", static_cast<float>(weightGreets_.value()));
    p->setUniform1f("uvYthreshold", static_cast<float>(yThreshold_.value()));
    p->setUniform1f("F", static_cast<float>(greetF_.value()));
    composite_.draw();
}

} // namespace Sorva
