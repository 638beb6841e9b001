// Sync track keys made from the hit rules and the tune's events.
#pragma once

#include "sync/SyncTrack.h"
#include "tools/choreo/HitRules.h"
#include "tools/choreo/TuneEvents.h"

#include <string>
#include <vector>

namespace Sorva::Choreo {

// The tracks the rules write, in the order they first appear.
std::vector<std::string> ruledTracks(const std::vector<HitRule>& rules);

// The keys of track `name`: a clock if a clock rule names it, otherwise its
// rests with the pulses on top. Rows ascend; no two keys say the same.
std::vector<SyncKey> hitTrackKeys(const std::string& name, const std::vector<HitRule>& rules,
                                  const std::vector<TuneEvent>& events);

// Whether some pulse, toggle or clock rule answers this event with a
// movement of its track.
bool answered(const TuneEvent& event, const std::vector<HitRule>& rules);

} // namespace Sorva::Choreo
