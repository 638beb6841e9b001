// The frame routine: scenes, then letterbox, FXAA and the DCT glitch stages.
#include "app/Show.h"

#include "app/DisplayContext.h"
#include "fx/ShowScenes.h"
#include "gl/PassSetup.h"
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
    return static_cast<float>(MusicClock::instance().pictureRow());
}

} // namespace

Show::Show(DisplayContext& display, int particles)
    : display_(display), end_(endTrackName), letterbox_(shader("trivial.fs"), &display),
      fxaa_(shader("fxaa.fs"), &display), buffersReady_(setUpBuffers()),
      dctA_(shader("dct/a.fs"), &display), dctB_(shader("dct/b.fs"), &display),
      dctC_(shader("dct/c.fs"), &display), dctD_(shader("dct/d.fs"), &display),
      director_(display, showScenes(display, particles)), letterboxR_("letterbox-r"),
      letterboxG_("letterbox-g"), letterboxB_("letterbox-b"), dctGlitch_("dct-glitch"),
      dctDecimate_("dct-decimate"), soloParams_(makeFxParams("effu")) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
}

bool Show::setUpBuffers() {
    for (Gl::Fbo& buffer : buffers_)
        buffer.setup(display_.width(), display_.height(), 1, true);
    return true;
}

bool Show::ended() const {
    return ends(end_.value());
}

void Show::renderFrame(Gl::Fbo* target) {
    if (solo_) {
        if (observer_)
            observer_->begin(FrameObserver::Stage::Solo, 0);
        fillFxParams(soloParams_);
        solo_->render(buffer(1), soloParams_);
        if (observer_)
            observer_->end(FrameObserver::Stage::Solo, 0);
    } else {
        director_.render(buffer(1));
    }
    renderPostChain(target);
}

void Show::setSolo(std::unique_ptr<EFx> effect) {
    solo_ = std::move(effect);
}

void Show::setObserver(FrameObserver* observer) {
    observer_ = observer;
    director_.setObserver(observer);
}

// Green only shows where a shader leaves a pixel unwritten.
constexpr std::array<float, 4> green{0.0f, 1.0f, 0.0f, 1.0f};
constexpr std::array<float, 4> black{0.0f, 0.0f, 0.0f, 1.0f};

// clang-format off
const std::array<Show::PostPass, 6> Show::postPasses = {{
    // pass           input output clear  uniforms, in order
    {&Show::letterbox_, 1, 2, green, {{{"textu", Value::Unit0}, {"iResolution", Value::WindowSize},
                                       {"iGlobalTime", Value::RowTime},
                                       {"letterbox", Value::LetterboxColour}}}},
    {&Show::fxaa_,      2, 3, green, {{{"inputtex", Value::Unit0}, {"resolution", Value::WindowSize}}}},
    {&Show::dctA_,      3, 4, black, {{{"iResolution", Value::WindowSize}, {"iTime", Value::RowTime},
                                       {"iChannel0", Value::Unit0}}}},
    {&Show::dctB_,      4, 5, black, {{{"iResolution", Value::WindowSize}, {"iTime", Value::RowTime},
                                       {"iChannel0", Value::Unit0}, {"Decimate", Value::Decimation},
                                       {"DCTglitch", Value::Glitch}}}},
    {&Show::dctC_,      5, 6, black, {{{"iResolution", Value::WindowSize}, {"iTime", Value::RowTime},
                                       {"iChannel0", Value::Unit0}, {"DCTglitch", Value::Glitch}}}},
    {&Show::dctD_,      6, 0, black, {{{"iResolution", Value::WindowSize}, {"iTime", Value::RowTime},
                                       {"iChannel0", Value::Unit0}}}},
}};
// clang-format on

void Show::renderPostChain(Gl::Fbo* target) {
    if (observer_)
        observer_->begin(FrameObserver::Stage::PostChain, 0);
    for (const PostPass& step : postPasses) {
        Gl::ScreenPass& pass = this->*step.pass;
        Gl::Fbo* output = step.output == 0 ? target : &buffer(step.output);
        // The viewport stays at the whole window, as the director leaves it.
        Gl::beginPass(display_, output, {.clear = step.clear, .wholeViewport = false});
        Gl::bindInputs(display_, {buffer(step.input).colorTexture(0)});
        Gl::ShaderProgram* program = pass.program();
        program->bind();
        for (const Uniform& uniform : step.uniforms)
            if (uniform.name)
                setUniform(*program, uniform);
        pass.draw();
    }
    if (observer_)
        observer_->end(FrameObserver::Stage::PostChain, 0);
}

void Show::setUniform(Gl::ShaderProgram& program, const Uniform& uniform) {
    // Tracks and the row are read as each uniform is set, not once a frame.
    switch (uniform.value) {
    case Value::Unit0:
        program.setUniform1i(uniform.name, 0);
        break;
    case Value::WindowSize:
        program.setUniform2f(uniform.name, static_cast<float>(display_.width()),
                             static_cast<float>(display_.height()));
        break;
    case Value::RowTime:
        program.setUniform1f(uniform.name, rowTime());
        break;
    case Value::LetterboxColour: {
        const float r = static_cast<float>(letterboxR_.value());
        const float g = static_cast<float>(letterboxG_.value());
        const float b = static_cast<float>(letterboxB_.value());
        program.setUniform3f(uniform.name, r, g, b);
        break;
    }
    case Value::Decimation:
        program.setUniform1f(uniform.name, static_cast<float>(dctDecimate_.value()));
        break;
    case Value::Glitch:
        program.setUniform1f(uniform.name, static_cast<float>(dctGlitch_.value()));
        break;
    }
}

} // namespace Sorva
