// Loads named sync tracks from track files once and keeps them for the
// whole process.
#pragma once

#include "sync/SyncTrack.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Sorva {

// The file-name form of a base path or a track name: letters, digits, "."
// and "_" as they are, every other byte as "-XX"; at most 259 characters.
std::string encodeSyncName(const std::string& name);

class SyncDevice {
public:
    // The one device, created on first call with the base "data/science".
    static SyncDevice& instance();

    explicit SyncDevice(const std::string& basePath);
    SyncDevice(const SyncDevice&) = delete;
    SyncDevice& operator=(const SyncDevice&) = delete;

    // The track of that name, loaded from its file on first request.
    const SyncTrack& getTrack(const std::string& name);

    // The file the track of that name is read from.
    std::string trackPath(const std::string& name) const;

private:
    std::string base_;
    std::vector<std::unique_ptr<SyncTrack>> tracks_;
};

} // namespace Sorva
