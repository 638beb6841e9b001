// Which effect plays in which of the director's slots, and every effect by
// name, so that tools can show one alone.
#pragma once

#include "gl/Surface.h"
#include "scene/EFx.h"
#include "scene/FrameInput.h"
#include "scene/SceneDirector.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Sorva {

// The show's five scenes, slot by slot; the particle ball reads the frame
// time and the keys from input, which must outlive the scenes, and draws
// that many particles (0: its full count).
std::array<SceneDirector::EffectMaker, SceneDirector::slotCount> showScenes(const FrameInput& input,
                                                                            int particles = 0);

// The names of every effect: the five scenes and the hands backdrop.
const std::vector<std::string>& effectNames();
// The effect of that name, built on surface (the particle ball with that
// many particles, 0: its full count); null for an unknown name.
std::unique_ptr<EFx> makeEffect(const std::string& name, Gl::Surface& surface,
                                const FrameInput& input, int particles = 0);

} // namespace Sorva
