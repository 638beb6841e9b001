// Tracks live from their text sources: a source changed on disk is compiled
// again and its keys swapped into the running show between frames, with the
// editor's unsaved changes kept on top. The show's own saves come back
// through the watch unchanged and are let be. A source with a mistake leaves
// the track's last good keys and is reported once.
#pragma once

#include "sync/SyncDevice.h"
#include "tools/edit/DirectoryWatch.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/UnsavedEdits.h"

#include <filesystem>
#include <map>
#include <string>

namespace Sorva {

class TrackWatch {
public:
    // Throws std::runtime_error when the directory cannot be watched.
    TrackWatch(TrackSources& sources, SyncDevice& device, const UnsavedEdits& unsaved);

    // Loads the source of every track the show has requested, so that the
    // run starts from the text as it is now, not as last built.
    void loadAll();
    // Once a frame: loads each source saved since the last call. Returns
    // whether any was.
    bool poll();

    // The error of the source saved last that has one now, "" when none has.
    const std::string& problem() const { return problem_; }

private:
    // Unless `evenIfKnown`, a text the show already holds is let be.
    void load(const std::filesystem::path& file, bool evenIfKnown = false);
    void note(const std::filesystem::path& file, const std::string& error);

    TrackSources& sources_;
    SyncDevice& device_;
    const UnsavedEdits& unsaved_;
    DirectoryWatch watch_;
    std::map<std::filesystem::path, std::string> errors_; // by source, as printed
    std::filesystem::path lastFailed_;
    std::string problem_;
};

} // namespace Sorva
