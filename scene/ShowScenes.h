// The show's five scenes, slot by slot. Declared here for the director and
// defined beside the effects in fx/, so the director needs no effect headers.
#pragma once

#include "scene/SceneDirector.h"

#include <array>

namespace Sorva {

const std::array<SceneDirector::EffectMaker, SceneDirector::slotCount>& showScenes();

} // namespace Sorva
