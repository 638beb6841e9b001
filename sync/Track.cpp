// A handle to a named sync track, evaluated at the music's current row.
#include "sync/Track.h"

#include "sync/MusicClock.h"
#include "sync/SyncDevice.h"

namespace Sorva {

Track::Track(const std::string& name) : track_(&SyncDevice::instance().getTrack(name)) {}

double Track::value() const {
    return evaluate(*track_, MusicClock::instance().pictureRow());
}

} // namespace Sorva
