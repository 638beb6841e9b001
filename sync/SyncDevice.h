// Loads named sync tracks from track files once and keeps them for the
// whole process.
#pragma once

#include "sync/RegularFile.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Sorva {

// The base path the demo's track files are named after.
inline constexpr char syncBasePath[] = "data/science";

// The file-name form of a base path or a track name: letters, digits, "."
// and "_" as they are, every other byte as "-XX"; at most 259 characters.
std::string encodeSyncName(const std::string& name);

class SyncDevice {
public:
    // The one device, created on first call with the base "data/science";
    // throws Rexception when it cannot be created (a later call tries again).
    static SyncDevice& instance();

    explicit SyncDevice(const std::string& basePath);
    SyncDevice(const SyncDevice&) = delete;
    SyncDevice& operator=(const SyncDevice&) = delete;

    // The track of that name, loaded from its file on first request. A missing
    // file gives a track without keys, silently; one that cannot be read, is
    // not a regular file (a FIFO is never waited on) or is larger than
    // maxTrackFileBytes gives one too, with a line on stderr. Should memory
    // for the track itself run out, an empty unnamed track is returned.
    const SyncTrack& getTrack(const std::string& name);

    // The tracks requested so far, in order of first request.
    std::size_t trackCount() const { return tracks_.size(); }
    const SyncTrack& track(std::size_t index) const { return *tracks_.at(index); }
    // The index of the track of that name, or -1 if it was never requested.
    std::ptrdiff_t findTrack(const std::string& name) const;

    // Changing keys while the show runs, between frames: the track stays the
    // same object, so every handle to it sees the new keys at once.
    // Every key of the track at once.
    void replaceKeys(std::size_t index, const SyncKey* keys, std::int32_t count);
    // The key at key.row, added or replaced.
    void setKey(std::size_t index, const SyncKey& key);
    // The key at row, if there is one.
    void deleteKey(std::size_t index, std::int32_t row);

    // The file the track of that name is read from: encoded base, "_",
    // encoded name, ".track", cut at 259 characters.
    std::string trackPath(const std::string& name) const;

private:
    struct FileFunctions {
        RegularFile (*open)(const std::string& path);
        TrackReadFunction read;
        int (*close)(std::FILE* file);
    };

    std::string base_;
    std::vector<std::unique_ptr<SyncTrack>> tracks_;
    FileFunctions io_;
};

} // namespace Sorva
