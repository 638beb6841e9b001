// The pattern scenes' pass.
#include "fx/PatternPass.h"

#include "gl/PassSetup.h"

namespace Sorva {

void renderPattern(Gl::Surface& surface, Gl::ScreenPass& pass, Gl::Fbo& target,
                   const FxParams& params) {
    Gl::beginPass(surface, &target,
                  {.clear = {1.0f, 1.0f, 1.0f, 1.0f},
                   .wholeViewport = false,
                   .depthTest = Gl::PassSetup::State::On});
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    program->setUniform1f("iTime", params.iGlobalTime);
    program->setUniform2f("iResolution", static_cast<float>(surface.width()),
                          static_cast<float>(surface.height()));
    pass.draw();
}

} // namespace Sorva
