// Turns the current moment of the show into one picture: renders each scene
// whose fusing weight is not near zero into its own framebuffer, then blends
// the five framebuffers into the caller's target with the combiner pass.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "scene/EFx.h"
#include "scene/FrameObserver.h"
#include "sync/Track.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace Sorva {

class SceneDirector {
public:
    static constexpr std::size_t slotCount = 5;
    using EffectMaker = std::function<std::unique_ptr<EFx>(Gl::Surface&)>;

    // The scenes of the slots, built in slot order after the combiner.
    SceneDirector(Gl::Surface& surface, const std::array<EffectMaker, slotCount>& slots);
    // Releases the effects, then their framebuffers, then the combiner.
    ~SceneDirector();
    SceneDirector(const SceneDirector&) = delete;
    SceneDirector& operator=(const SceneDirector&) = delete;

    // Renders the active scenes and draws their blend into target, which is
    // left bound with the whole-window viewport.
    void render(Gl::Fbo& target);

    // Told of each scene's render and of the combiner; null for none.
    void setObserver(FrameObserver* observer) { observer_ = observer; }

    // Whether a scene with this fusing weight is rendered: only a weight of
    // magnitude strictly above 0.001.
    static bool rendersWeight(double weight);

private:
    Gl::Surface& surface_;
    std::vector<std::unique_ptr<EFx>> effects_;
    std::vector<std::unique_ptr<Gl::Fbo>> buffers_;
    std::vector<Track> weights_;
    // Obtained so that the track exists; nothing depends on its value.
    Track sceneIndex_;
    Gl::ScreenPass combiner_;
    FrameObserver* observer_ = nullptr;
};

} // namespace Sorva
