// The show's five scenes, slot by slot, for the director.
#pragma once

#include "scene/SceneDirector.h"

#include <array>

namespace Sorva {

const std::array<SceneDirector::EffectMaker, SceneDirector::slotCount>& showScenes();

} // namespace Sorva
