// The scene director: weight gate, per-scene framebuffers and the combiner.
#include "scene/SceneDirector.h"

#include "gl/PassSetup.h"

#include <GL/glew.h>

#include <cmath>
#include <string>

namespace Sorva {

namespace {

// "A" for slot 0 up to "E" for slot 4: the combiner's sampler and weight names.
std::string slotLetter(std::size_t slot) {
    return std::string(1, static_cast<char>('A' + slot));
}

} // namespace

SceneDirector::SceneDirector(Gl::Surface& surface, const std::array<EffectMaker, slotCount>& slots)
    : surface_(surface), sceneIndex_("scene-idx"),
      combiner_("./data/shaders/skenekombiner.fs", &surface) {
    for (const EffectMaker& makeEffect : slots)
        effects_.push_back(makeEffect(surface_));
    for (std::size_t i = 0; i < effects_.size(); ++i) {
        buffers_.push_back(std::make_unique<Gl::Fbo>());
        buffers_.back()->setup(surface_.width(), surface_.height(), 1, true);
        // The combiner samples every buffer, also one whose scene has not
        // drawn yet (a weight at or below 0.001 in magnitude): start it blank.
        Gl::beginPass(surface_, buffers_.back().get(), {});
        weights_.emplace_back("fusing-weight-" + std::to_string(i));
    }
}

SceneDirector::~SceneDirector() {
    for (auto& effect : effects_)
        effect.reset();
    for (auto& buffer : buffers_)
        buffer.reset();
}

bool SceneDirector::rendersWeight(double weight) {
    return std::abs(weight) > 0.001;
}

void SceneDirector::render(Gl::Fbo& target) {
    FxParams params = makeFxParams("effu");
    fillFxParams(params);

    // A skipped scene's framebuffer keeps its last picture.
    for (std::size_t i = 0; i < effects_.size(); ++i)
        if (rendersWeight(weights_[i].value())) {
            if (observer_)
                observer_->begin(FrameObserver::Stage::Scene, i);
            effects_[i]->render(*buffers_[i], params);
            if (observer_)
                observer_->end(FrameObserver::Stage::Scene, i);
        }

    if (observer_)
        observer_->begin(FrameObserver::Stage::Combiner, 0);
    Gl::beginPass(surface_, &target, {});
    Gl::ShaderProgram* program = combiner_.program();
    program->bind();
    Gl::bindInputs(surface_, {buffers_[0]->colorTexture(0), buffers_[1]->colorTexture(0),
                              buffers_[2]->colorTexture(0), buffers_[3]->colorTexture(0),
                              buffers_[4]->colorTexture(0)});
    for (std::size_t i = 0; i < slotCount; ++i)
        program->setUniform1i("buffer" + slotLetter(i), static_cast<GLint>(i));
    // Passed on as they are: not clamped, not normalised, sign kept.
    for (std::size_t i = 0; i < slotCount; ++i)
        program->setUniform1f("weight" + slotLetter(i), static_cast<float>(weights_[i].value()));
    combiner_.draw();
    if (observer_)
        observer_->end(FrameObserver::Stage::Combiner, 0);
}

} // namespace Sorva
