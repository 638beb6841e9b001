// A handle to a named sync track of the one SyncDevice.
#pragma once

#include <string>

namespace Sorva {

struct SyncTrack;

class Track {
public:
    explicit Track(const std::string& name);

    // The track at the current music row, read anew on every call.
    double value() const;

    const SyncTrack& syncTrack() const { return *track_; }

private:
    const SyncTrack* track_;
};

} // namespace Sorva
