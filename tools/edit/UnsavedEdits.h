// The sync editor's key changes that no save has written yet, track by
// track: what a save writes, and what stays on top when a source changes on
// disk under them.
#pragma once

#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Sorva {

class UnsavedEdits {
public:
    void setKey(std::size_t track, const SyncKey& key) { tracks_[track][key.row] = key; }
    void deleteKey(std::size_t track, std::int32_t row) { tracks_[track][row] = std::nullopt; }

    // The keys (ascending by row) with the track's unsaved changes made on
    // top: a set key replaces or joins the key at its row, a deleted one goes.
    std::vector<SyncKey> onTop(std::size_t track, const std::vector<SyncKey>& keys) const;

    // How many rows of the track the editor changed since it was last saved.
    std::size_t count(std::size_t track) const;
    // The tracks with unsaved changes, in index order.
    std::vector<std::size_t> tracks() const;
    // After the track's source was written.
    void saved(std::size_t track) { tracks_.erase(track); }

private:
    // By track, then by row; no value for a deleted key.
    std::map<std::size_t, std::map<std::int32_t, std::optional<SyncKey>>> tracks_;
};

} // namespace Sorva
