// Test helper: replaces the keys of a loaded sync track in memory, so a test
// can drive track values without writing track files.
#pragma once

#include "sync/SyncTrack.h"

#include <string>
#include <vector>

namespace Sorva::Test {

// The track of that name, as every Track handle of it sees it from now on.
void setTrackKeys(const std::string& name, const std::vector<SyncKey>& keys);

// A track that holds value everywhere.
void setTrackValue(const std::string& name, float value);

} // namespace Sorva::Test
