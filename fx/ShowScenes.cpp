// Which effect plays in which of the director's slots.
#include "fx/ShowScenes.h"

#include "fx/BlankFx.h"
#include "fx/PatternBFx.h"
#include "fx/PatternFx.h"

namespace Sorva {

namespace {

template <typename Effect> std::unique_ptr<EFx> make(Gl::Surface& surface) {
    return std::make_unique<Effect>(surface);
}

} // namespace

const std::array<SceneDirector::EffectMaker, SceneDirector::slotCount>& showScenes() {
    // Slots 0, 2 and 3 (particle ball, blue feedback, tunnel) hold a blank
    // scene until those effects exist.
    static const std::array<SceneDirector::EffectMaker, SceneDirector::slotCount> slots = {
        make<BlankFx>, make<PatternFx>, make<BlankFx>, make<BlankFx>, make<PatternBFx>,
    };
    return slots;
}

} // namespace Sorva
