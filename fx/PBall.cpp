// The particle ball: set-up, one simulation step, the particle draw over the
// backdrop, occlusion and the combine.
#include "fx/PBall.h"

#include "gl/LoadTexture.h"
#include "gl/PassSetup.h"
#include "gl/ReloadRegistry.h"
#include "scene/RigMath.h"
#include "scene/Snoise.h"
#include "sync/MusicClock.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace Sorva {

namespace {

constexpr const char* shaderDir = "./data/shaders/";
constexpr const char* imageDir = "./data/img/";
constexpr int spaceKey = 32;

std::string shader(const char* file) {
    return std::string(shaderDir) + file;
}

std::array<Track, 3> tracks(const char* x, const char* y, const char* z) {
    return {Track(x), Track(y), Track(z)};
}

std::array<float, 3> values(const std::array<Track, 3>& t) {
    return {static_cast<float>(t[0].value()), static_cast<float>(t[1].value()),
            static_cast<float>(t[2].value())};
}

void setUniform3f(Gl::ShaderProgram& program, const std::string& name,
                  const std::array<float, 3>& v) {
    program.setUniform3f(name, v[0], v[1], v[2]);
}

// Four corners of one particle, drawn as a triangle strip.
constexpr GLfloat quadCorners[] = {
    -1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f, -1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f,
};

} // namespace

// clang-format off
const std::array<const char*, PBall::spriteCount> PBall::spriteFiles = {
    "accuse.png", "broken.png", "bust.png", "pebble2.png", "cristo.png", "culdesac.png",
    "daisies.png", "death.png", "fathers.png", "head.png", "hostile.png", "wxzq.png",
    "l_baby.png", "l_pebble.png", "l_face.png", "l_face1.png", "l_face2.png", "l_face4.png",
    "l_fistup.png", "lantern_preview.png", "nokia.png", "pride.png", "prop1.png", "s_frame.png",
    "sanity.png", "some.png", "stop.png", "title1.png", "title2.png", "title3.png",
    "meadow3_preview.png", "turned.png", "enkeli.png", "broughtitdown.png", "breakfree.png",
    "eye.png", "eye2.png", "girl.png", "lookup.png", "open.png", "tsun.png", "aavikko-lost.png",
    "kukkavaasi.png", "kyltti-risteys.png", "memories.png", "pistooli.png", "rauniot.png",
    "stopsign.png", "vihainennyrkki.png",
};
// clang-format on

std::array<float, 2> PBall::stateCoordinate(int k) {
    return {static_cast<float>(k / stateSize) / 1023.0f,
            static_cast<float>(k % stateSize) / 1023.0f};
}

PBall::PBall(Gl::Surface& surface, const FrameInput& input, int particles)
    : surface_(surface), input_(input), quadBuffer_(GL_ARRAY_BUFFER),
      instanceBuffer_(GL_ARRAY_BUFFER), particleTexture_(GL_TEXTURE_2D),
      postPass_(shader("partpost.fs"), &surface), simPass_(shader("pballsimu.fs"), &surface),
      aoPass_(shader("ao.fs"), &surface), combinePass_(shader("combine.fs"), &surface),
      camera_(surface, "pball"), particles_(std::clamp(particles, 1, particleCount)),
      lifetime_("particle-ball-lifetime"), diameter_("fov-diameter"), focus_("fov-focus"),
      fogDecay_("fog-decay"), fogSunDir_(tracks("fog-sundir-x", "fog-sundir-y", "fog-sundir-z")),
      fogColor_(tracks("fog-color-r", "fog-color-g", "fog-color-b")),
      fogSun_(tracks("fog-sun-r", "fog-sun-g", "fog-sun-b")),
      impulsePos_(tracks("impulse-pos-x", "impulse-pos-y", "impulse-pos-z")),
      impulseRadius_("impulse-radius"), impulseForce_("impulse-force"),
      impulseDecay_("impulse-decay"), clearColor_(tracks("cls-r", "cls-g", "cls-b")),
      aoScale_("ao-scale"), cameraXVelo_("camera-x-velo"),
      spriteSampleRadius_("sprite-sample-radius"), curlAmplitude_("curl-noise-amplitude"),
      curlFreq_("curl-noise-freq"), background_(surface), colorPaint_("color-paint") {
    quadBuffer_.bind();
    quadBuffer_.setData(sizeof(quadCorners), quadCorners, GL_STATIC_DRAW);

    {
        // The one CPU pass over the particles: their state coordinates,
        // uploaded once and released.
        std::vector<float> coordinates(2 * static_cast<std::size_t>(particleCount));
        for (int k = 0; k < particleCount; ++k) {
            const std::array<float, 2> at = stateCoordinate(k);
            coordinates[2 * static_cast<std::size_t>(k)] = at[0];
            coordinates[2 * static_cast<std::size_t>(k) + 1] = at[1];
        }
        instanceBuffer_.bind();
        instanceBuffer_.setData(static_cast<GLsizeiptr>(coordinates.size() * sizeof(float)),
                                coordinates.data(), GL_STATIC_DRAW);
        instanceBuffer_.unbind();
    }

    Gl::loadTexture(std::string(imageDir) + "partikle.png", particleTexture_);
    sceneFbo_.setup(surface_.width(), surface_.height(), 2, true);
    for (Gl::Fbo& state : stateFbos_) {
        state.setup(stateSize, stateSize, 3, true);
        Gl::Texture* positions = state.colorTexture(0);
        positions->bind();
        positions->texParameteri(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        positions->texParameteri(GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    // Every particle starts from zeros, not from whatever the memory held.
    clearState();
    aoFbo_.setup(surface_.width() / 2, surface_.height() / 2, 1, true);

    particleShader_.addShader(GL_VERTEX_SHADER, shader("pball.vs"));
    particleShader_.addShader(GL_FRAGMENT_SHADER, shader("pball.fs"));
    particleShader_.link();
    ReloadRegistry::instance().add(&particleShader_);

    for (const char* file : spriteFiles) {
        sprites_.push_back(std::make_unique<Gl::Texture>(GL_TEXTURE_2D));
        Gl::loadTexture(std::string(imageDir) + file, *sprites_.back());
    }
    for (std::size_t j = 0; j < 3; ++j) {
        const std::string name = "sprite-" + std::to_string(j);
        trackedEmitters_.push_back(makeEmitter(name));
        emitters_.push_back(makeEmitter(name));
        const std::string e = "emitters[" + std::to_string(j) + "]";
        emitterUniforms_[j] = {"sprites[" + std::to_string(j) + "]",
                               e + ".pos",
                               e + ".scale",
                               e + ".cumprob",
                               e + ".width",
                               e + ".height"};
    }
}

PBall::~PBall() {
    sprites_.clear();
}

void PBall::clearState() {
    for (Gl::Fbo& state : stateFbos_)
        Gl::beginPass(surface_, &state, {.wholeViewport = false});
}

void PBall::render(Gl::Fbo& target, const FxParams& params) {
    camera_.advanceShake();
    const CameraRig::Vec3 campos = camera_.position();
    // Even calls write state 0 from state 1, odd calls the other way round.
    Gl::Fbo& read = stateFbos_[(frameCount_ & 1) == 0 ? 1 : 0];
    Gl::Fbo& write = stateFbos_[(frameCount_ & 1) == 0 ? 0 : 1];

    begin(Simulation);
    simulate(read, write, campos);
    end(Simulation);
    if (input_.keyDown(spaceKey))
        printDebugBlock(campos);
    ++frameCount_;

    glDisable(GL_BLEND);
    const CameraRig::Vec3 up = camera_.up();
    const CameraRig::Vec3 right = camera_.right();

    // The backdrop fills the scene buffer; particles are depth-tested over it.
    begin(Backdrop);
    surface_.viewport(0, 0, surface_.width(), surface_.height());
    sceneFbo_.bind();
    glDisable(GL_BLEND);
    const std::array<float, 3> cls = values(clearColor_);
    glClearColor(cls[0], cls[1], cls[2], 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    background_.render(sceneFbo_, params);
    glClear(GL_DEPTH_BUFFER_BIT);
    end(Backdrop);

    CameraRig::Mat4 projection;
    CameraRig::Mat4 view;
    begin(Particles);
    drawParticles(write, campos, up, right, projection, view);
    end(Particles);

    // Occlusion at half size from what the particle draw wrote into the
    // scene's second attachment.
    begin(Occlusion);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    aoFbo_.bind();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Gl::Texture* occlusion = aoFbo_.colorTexture(0);
    surface_.viewport(0, 0, occlusion->width(), occlusion->height());
    Gl::ShaderProgram* p = aoPass_.program();
    p->bind();
    const CameraRig::Vec3 lookDir = RigMath::cross(right, up);
    Gl::bindSamplers(surface_, *p, {{sceneFbo_.colorTexture(1), "postex"}});
    p->setUniform1f("iGlobalTime", static_cast<float>(frameCount_));
    setUniform3f(*p, "campos", campos);
    setUniform3f(*p, "lookDir", lookDir);
    p->setUniform1f("aoScale", static_cast<float>(aoScale_.value()));
    p->setUniformMatrix4fv("P", 1, false, RigMath::multiply(projection, view).data());
    aoPass_.draw();
    end(Occlusion);

    begin(Combine);
    surface_.viewport(0, 0, surface_.width(), surface_.height());
    target.bind();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    p = combinePass_.program();
    p->bind();
    Gl::bindSamplers(surface_, *p, {{occlusion, "aotex"}, {sceneFbo_.colorTexture(0), "colortex"}});
    combinePass_.draw();
    end(Combine);
}

void PBall::simulate(Gl::Fbo& read, Gl::Fbo& write, const CameraRig::Vec3& campos) {
    write.bind();
    surface_.viewport(0, 0, stateSize, stateSize);
    // Particle k lives in column k / 1024: only the columns drawn are worked.
    const bool some = particles_ < particleCount;
    if (some) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, (particles_ + stateSize - 1) / stateSize, stateSize);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);

    Gl::ShaderProgram* p = simPass_.program();
    p->bind();
    Gl::bindSamplers(surface_, *p,
                     {{read.colorTexture(0), "prevState"},
                      {read.colorTexture(1), "prevColor"},
                      {read.colorTexture(2), "prevAcc"}});
    setUniform3f(*p, "impulsepos", values(impulsePos_));
    p->setUniform1f("impulseradius", static_cast<float>(impulseRadius_.value()));
    p->setUniform1f("impulseforce", static_cast<float>(impulseForce_.value()));
    p->setUniform1f("impulsedecay", static_cast<float>(impulseDecay_.value()));
    p->setUniform1f("curlAmplitude", static_cast<float>(curlAmplitude_.value()));
    p->setUniform1f("curlFreq", static_cast<float>(curlFreq_.value()));
    for (std::size_t j = 0; j < trackedEmitters_.size(); ++j)
        updateEmitter(j, *p, campos);
    p->setUniform1i("frame", frameCount_);
    p->setUniform1f("dt", static_cast<float>(input_.deltaTime()));
    p->setUniform1f("lyfetime", static_cast<float>(lifetime_.value()));
    simPass_.draw();
    if (some)
        glDisable(GL_SCISSOR_TEST);
}

void PBall::updateEmitter(std::size_t j, Gl::ShaderProgram& program,
                          const CameraRig::Vec3& campos) {
    SpriteEmitter& tracked = trackedEmitters_[j];
    tracked.refresh();
    const unsigned unit = 3 + static_cast<unsigned>(j);
    surface_.activeTexture(unit);
    Gl::Texture& image = *sprites_[SpriteEmitter::imageIndex(tracked.textureId, spriteCount)];
    image.bind();

    if (tracked.textureId != emitters_[j].textureId) {
        // A new image appears at a jittered place: the same noise for every
        // emitter that changes in this row, the camera's x added to x.
        // The row is floored before it is narrowed: a row just below a whole
        // number must not round up to it.
        const float v = static_cast<float>(std::floor(MusicClock::instance().pictureRow()));
        const float nz = snoise(v, v);
        const float ny = snoise(54.543f, v);
        const float nx = snoise(v, 43.0f);
        const double radius = spriteSampleRadius_.value();
        tracked.pos = {static_cast<float>(campos[0] + tracked.pos[0] + radius * nx),
                       static_cast<float>(tracked.pos[1] + radius * ny),
                       static_cast<float>(tracked.pos[2] + radius * nz)};
        emitters_[j] = tracked;
    }

    const SpriteEmitter& latched = emitters_[j];
    const std::array<std::string, 6>& names = emitterUniforms_[j];
    program.setUniform1i(names[0], static_cast<GLint>(unit));
    setUniform3f(program, names[1], latched.pos);
    setUniform3f(program, names[2], latched.scale);
    program.setUniform1f(names[3], latched.cumprob);
    // An image that failed to load has no size; its emitter then reads 0 x 0.
    program.setUniform1f(names[4], static_cast<float>(std::max(image.width(), 0)));
    program.setUniform1f(names[5], static_cast<float>(std::max(image.height(), 0)));
}

void PBall::drawParticles(Gl::Fbo& state, const CameraRig::Vec3& campos, const CameraRig::Vec3& up,
                          const CameraRig::Vec3& right, CameraRig::Mat4& projection,
                          CameraRig::Mat4& view) {
    particleVao_.bind();
    Gl::ShaderProgram* p = particleShader_.program();
    p->bind();
    // The up axis goes to "camr" and the right axis to "camu".
    setUniform3f(*p, "camr", up);
    setUniform3f(*p, "camu", right);
    setUniform3f(*p, "campos", campos);
    p->setUniform1f("diameter", static_cast<float>(diameter_.value()));
    p->setUniform2f("iResolution", static_cast<float>(surface_.width()),
                    static_cast<float>(surface_.height()));
    p->setUniform1f("focus", static_cast<float>(focus_.value()));
    p->setUniform1f("fogB", static_cast<float>(fogDecay_.value()));
    setUniform3f(*p, "fogSunDir", values(fogSunDir_));
    setUniform3f(*p, "fogColor", values(fogColor_));
    setUniform3f(*p, "fogSunColor", values(fogSun_));
    p->setUniform1f("lifetime", static_cast<float>(lifetime_.value()));
    surface_.activeTexture(0);
    particleTexture_.bind();
    p->setUniform1i("textu", 0);
    surface_.activeTexture(2);
    state.colorTexture(0)->bind();
    p->setUniform1i("state", 2);
    surface_.activeTexture(3);
    state.colorTexture(1)->bind();
    p->setUniform1i("colorbuffer", 3);
    projection = camera_.projection();
    view = camera_.view();
    p->setUniformMatrix4fv("VpMtx", 1, false, RigMath::multiply(projection, view).data());

    particleVao_.enableAttrib(0);
    quadBuffer_.bind();
    particleVao_.attribPointer(0, 3, GL_FLOAT, false, 0, nullptr);
    particleVao_.enableAttrib(1);
    instanceBuffer_.bind();
    particleVao_.attribPointer(1, 2, GL_FLOAT, false, 0, nullptr);
    particleVao_.attribDivisor(0, 0);
    particleVao_.attribDivisor(1, 1);
    surface_.drawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, particles_);
    particleVao_.disableAttrib(0);
    particleVao_.disableAttrib(1);
    particleVao_.unbind();
}

void PBall::begin(Step step) const {
    if (observer_)
        observer_->begin(FrameObserver::Stage::Step, step);
}

void PBall::end(Step step) const {
    if (observer_)
        observer_->end(FrameObserver::Stage::Step, step);
}

void PBall::printDebugBlock(const CameraRig::Vec3& campos) const {
    std::cout << "-----------" << std::endl;
    std::cout << "campos = " << campos[0] << ", " << campos[1] << ", " << campos[2] << std::endl;
    for (const SpriteEmitter& emitter : emitters_)
        std::cout << "- " << emitter.pos[0] << ", " << emitter.pos[1] << ", " << emitter.pos[2]
                  << std::endl;
    std::cout << "-----------" << std::endl;
}

} // namespace Sorva
