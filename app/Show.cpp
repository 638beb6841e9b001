// The frame routine: scenes, then letterbox, FXAA and the DCT glitch stages.
#include "app/Show.h"

#include "app/DisplayContext.h"
#include "sync/MusicClock.h"

#include <GL/glew.h>

#include <string>

namespace Sorva {

namespace {

constexpr const char* shaderDir = "./data/shaders/";

std::string shader(const char* file) {
    return std::string(shaderDir) + file;
}

// Row time for the shaders: music rows, not seconds.
float rowTime() {
    return static_cast<float>(MusicClock::instance().row());
}

} // namespace

Show::Show(DisplayContext& display)
    : display_(display), end_("e"), letterbox_(shader("trivial.fs"), &display),
      fxaa_(shader("fxaa.fs"), &display), buffersReady_(setUpBuffers()),
      dctA_(shader("dct/a.fs"), &display), dctB_(shader("dct/b.fs"), &display),
      dctC_(shader("dct/c.fs"), &display), dctD_(shader("dct/d.fs"), &display), director_(display),
      letterboxR_("letterbox-r"), letterboxG_("letterbox-g"), letterboxB_("letterbox-b"),
      dctGlitch_("dct-glitch"), dctDecimate_("dct-decimate") {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
}

bool Show::setUpBuffers() {
    for (Gl::Fbo& buffer : buffers_)
        buffer.setup(display_.width(), display_.height(), 1, true);
    return true;
}

bool Show::ended() const {
    // Written so that NaN also ends the show.
    return !(end_.value() < 1.0);
}

void Show::renderFrame(Gl::Fbo* target) {
    director_.render(buffer(1));
    renderPostChain(target);
}

void Show::setObserver(FrameObserver* observer) {
    observer_ = observer;
    director_.setObserver(observer);
}

Gl::ShaderProgram* Show::beginPostPass(Gl::ScreenPass& pass, Gl::Fbo* target, Gl::Fbo& input,
                                       Colour clear) {
    if (target)
        target->bind();
    else
        display_.bindScreen();
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    display_.activeTexture(0);
    input.colorTexture(0)->bind();
    Gl::ShaderProgram* program = pass.program();
    program->bind();
    return program;
}

void Show::renderPostChain(Gl::Fbo* target) {
    if (observer_)
        observer_->begin(FrameObserver::Stage::PostChain, 0);
    // Only shows where a shader leaves a pixel unwritten.
    constexpr Colour green{0.0f, 1.0f, 0.0f, 1.0f};
    constexpr Colour black{0.0f, 0.0f, 0.0f, 1.0f};
    const float width = static_cast<float>(display_.width());
    const float height = static_cast<float>(display_.height());

    Gl::ShaderProgram* p = beginPostPass(letterbox_, &buffer(2), buffer(1), green);
    p->setUniform1i("textu", 0);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iGlobalTime", rowTime());
    const float r = static_cast<float>(letterboxR_.value());
    const float g = static_cast<float>(letterboxG_.value());
    const float b = static_cast<float>(letterboxB_.value());
    p->setUniform3f("letterbox", r, g, b);
    letterbox_.draw();

    p = beginPostPass(fxaa_, &buffer(3), buffer(2), green);
    p->setUniform1i("inputtex", 0);
    p->setUniform2f("resolution", width, height);
    fxaa_.draw();

    p = beginPostPass(dctA_, &buffer(4), buffer(3), black);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", rowTime());
    p->setUniform1i("iChannel0", 0);
    dctA_.draw();

    p = beginPostPass(dctB_, &buffer(5), buffer(4), black);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", rowTime());
    p->setUniform1i("iChannel0", 0);
    p->setUniform1f("Decimate", static_cast<float>(dctDecimate_.value()));
    p->setUniform1f("DCTglitch", static_cast<float>(dctGlitch_.value()));
    dctB_.draw();

    p = beginPostPass(dctC_, &buffer(6), buffer(5), black);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", rowTime());
    p->setUniform1i("iChannel0", 0);
    p->setUniform1f("DCTglitch", static_cast<float>(dctGlitch_.value()));
    dctC_.draw();

    p = beginPostPass(dctD_, target, buffer(6), black);
    p->setUniform2f("iResolution", width, height);
    p->setUniform1f("iTime", rowTime());
    p->setUniform1i("iChannel0", 0);
    dctD_.draw();
    if (observer_)
        observer_->end(FrameObserver::Stage::PostChain, 0);
}

} // namespace Sorva
