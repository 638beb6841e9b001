// The text sources of the show's tracks: one NAME.txt per track in one
// directory (the tree's tracks/), read and written back.
#pragma once

#include "sync/SyncTrack.h"
#include "sync/TrackText.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace Sorva {

class TrackSources {
public:
    explicit TrackSources(std::filesystem::path directory) : directory_(std::move(directory)) {}

    const std::filesystem::path& directory() const { return directory_; }
    // The source of the track of that name; empty for a name no file could
    // carry (empty, with "/", or starting with ".").
    std::filesystem::path sourceOf(const std::string& trackName) const;

    // The keys of a source file, or its error: "FILE:LINE: reason", or
    // "FILE: cannot read: why".
    static TrackTextResult read(const std::filesystem::path& file);
    // Writes the keys as the source of the track, in the layout of the
    // source that is there, by replacing it whole; returns "" or why not.
    std::string write(const std::string& trackName, const SyncKey* keys, std::int32_t count) const;

private:
    std::filesystem::path directory_;
};

} // namespace Sorva
