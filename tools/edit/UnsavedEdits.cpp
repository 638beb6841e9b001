// Unsaved key changes and how they lie over other keys.
#include "tools/edit/UnsavedEdits.h"

namespace Sorva {

std::vector<SyncKey> UnsavedEdits::onTop(std::size_t track,
                                         const std::vector<SyncKey>& keys) const {
    const auto edits = tracks_.find(track);
    if (edits == tracks_.end())
        return keys;
    // Both run in row order: one merge, whatever their sizes.
    std::vector<SyncKey> merged;
    merged.reserve(keys.size() + edits->second.size());
    auto key = keys.begin();
    for (const auto& [row, edit] : edits->second) {
        for (; key != keys.end() && key->row < row; ++key)
            merged.push_back(*key);
        if (key != keys.end() && key->row == row)
            ++key;
        if (edit)
            merged.push_back(*edit);
    }
    merged.insert(merged.end(), key, keys.end());
    return merged;
}

std::size_t UnsavedEdits::count(std::size_t track) const {
    const auto edits = tracks_.find(track);
    return edits == tracks_.end() ? 0 : edits->second.size();
}

std::vector<std::size_t> UnsavedEdits::tracks() const {
    std::vector<std::size_t> indices;
    indices.reserve(tracks_.size());
    for (const auto& entry : tracks_)
        indices.push_back(entry.first);
    return indices;
}

} // namespace Sorva
