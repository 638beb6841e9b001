// In-memory track keys for tests.
#include "TrackKeys.h"

#include "sync/SyncDevice.h"

#include <algorithm>
#include <memory>

namespace Sorva::Test {

void setTrackKeys(const std::string& name, const std::vector<SyncKey>& keys) {
    // The device owns its tracks as mutable objects and hands out const
    // references only so that the demo cannot change them.
    auto& track = const_cast<SyncTrack&>(SyncDevice::instance().getTrack(name));
    track.keys = std::make_unique<SyncKey[]>(keys.size());
    std::copy(keys.begin(), keys.end(), track.keys.get());
    track.keyCount = static_cast<std::int32_t>(keys.size());
}

void setTrackValue(const std::string& name, float value) {
    setTrackKeys(name, {SyncKey{0, value, 0}});
}

} // namespace Sorva::Test
