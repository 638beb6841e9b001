// The show's slots and the effects by name.
#include "fx/ShowScenes.h"

#include "fx/BackgroundFx.h"
#include "fx/FeedbackFx.h"
#include "fx/PBall.h"
#include "fx/PatternBFx.h"
#include "fx/PatternFx.h"
#include "fx/TunnelFx.h"

namespace Sorva {

namespace {

template <typename Effect> std::unique_ptr<EFx> make(Gl::Surface& surface) {
    return std::make_unique<Effect>(surface);
}

} // namespace

std::array<SceneDirector::EffectMaker, SceneDirector::slotCount> showScenes(const FrameInput& input,
                                                                            int particles) {
    if (particles <= 0)
        particles = PBall::particleCount;
    return {
        [&input, particles](Gl::Surface& surface) {
            return std::make_unique<PBall>(surface, input, particles);
        },
        make<PatternFx>,
        make<FeedbackFx>,
        make<TunnelFx>,
        make<PatternBFx>,
    };
}

const std::vector<std::string>& effectNames() {
    static const std::vector<std::string> names = {"pball",  "pattern",  "feedback",
                                                   "tunnel", "pattern2", "hands"};
    return names;
}

std::unique_ptr<EFx> makeEffect(const std::string& name, Gl::Surface& surface,
                                const FrameInput& input, int particles) {
    const std::vector<std::string>& names = effectNames();
    for (std::size_t slot = 0; slot < SceneDirector::slotCount; ++slot)
        if (name == names[slot])
            return showScenes(input, particles)[slot](surface);
    if (name == "hands")
        return std::make_unique<BackgroundFx>(surface);
    return nullptr;
}

} // namespace Sorva
