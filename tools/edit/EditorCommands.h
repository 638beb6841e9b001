// What a sync editor asks of the show, as the editor connection reads it:
// keys changed, the row moved, playback paused, the tracks saved.
#pragma once

#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>

namespace Sorva {

class EditorCommands {
public:
    // track: an index into the tracks requested from the editor, in order.
    virtual void setKey(std::size_t track, const SyncKey& key) = 0;
    virtual void deleteKey(std::size_t track, std::int32_t row) = 0;
    virtual void seekRow(std::int32_t row) = 0;
    virtual void setPaused(bool paused) = 0;
    virtual void saveTracks() = 0;

protected:
    ~EditorCommands() = default;
};

} // namespace Sorva
