// The text sources of the show's tracks: one NAME.txt per track in one
// directory (the tree's tracks/), read and written back. It remembers the
// text of each source as the show last read or wrote it, so that a change
// made on disk since is told apart from the show's own saves.
#pragma once

#include "sync/SyncTrack.h"
#include "sync/TrackText.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace Sorva {

class TrackSources {
public:
    explicit TrackSources(std::filesystem::path directory) : directory_(std::move(directory)) {}

    const std::filesystem::path& directory() const { return directory_; }
    // The source of the track of that name; empty for a name no file could
    // carry (empty, with "/", or starting with ".").
    std::filesystem::path sourceOf(const std::string& trackName) const;

    // Whether the file is a track's source: NAME.txt, as the build takes
    // them (its CMakeLists.txt is none).
    static bool isSource(const std::filesystem::path& file);

    // The keys of a source file, or its error: "FILE:LINE: reason", or
    // "FILE: cannot read: why".
    static TrackTextResult read(const std::filesystem::path& file);
    // A source file's text as it is now.
    struct Text {
        std::string text;
        bool missing = false;
        std::string problem; // "FILE: cannot read: why" when it is there but cannot be read
    };
    static Text readText(const std::filesystem::path& file);

    // A source that changed on disk since the show read it, read again once
    // it has settled: another program may be writing it this moment. It is
    // read again every few milliseconds until it has been still for a moment
    // and looks whole (or has a mistake), for up to `patience`; one that
    // reads with no keys where it had some, or whose last line is not
    // finished, is waited for all that time. `unsettled` says why, in one
    // line naming the file, when it did not settle.
    struct Settled {
        Text source;
        TrackTextResult keys; // the text parsed, when there is one
        std::string unsettled;
    };
    Settled settle(const std::filesystem::path& file,
                   std::chrono::milliseconds patience = std::chrono::seconds(1)) const;

    // Whether `text` is what the show last read or wrote of the file ("" for
    // a file it never has).
    bool holds(const std::filesystem::path& file, const std::string& text) const;
    // The show has read `text` from the file and its keys are in.
    void remember(const std::filesystem::path& file, std::string text);

    // Writes the keys as the source of the track, in the layout of
    // `previous` (the text there now), by replacing it whole; returns "" or
    // why not. A text over the readers' size limit is never written.
    std::string write(const std::string& trackName, const SyncKey* keys, std::int32_t count,
                      const std::string& previous);

    // Removes the temporaries of saves that never finished (the program was
    // killed between writing and renaming).
    void removeLeftovers() const;

private:
    std::filesystem::path temporaryOf(const std::string& trackName) const;

    std::filesystem::path directory_;
    std::map<std::filesystem::path, std::string> texts_; // by source, as last read or written
};

} // namespace Sorva
