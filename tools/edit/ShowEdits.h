// What the sync editor asks, done to the running show: keys into the sync
// device, row and pause on the transport, and the changed tracks saved back
// to their text sources.
#pragma once

#include "sync/SyncDevice.h"
#include "tools/edit/EditorCommands.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/Transport.h"
#include "tools/edit/UnsavedEdits.h"

#include <functional>
#include <string>

namespace Sorva {

class ShowEdits : public EditorCommands {
public:
    // `moved` is called after the editor has moved or paused the transport.
    ShowEdits(SyncDevice& device, Transport& transport, TrackSources& sources,
              UnsavedEdits& unsaved, std::function<void()> moved = {})
        : device_(device), transport_(transport), sources_(sources), unsaved_(unsaved),
          moved_(std::move(moved)) {}

    void setKey(std::size_t track, const SyncKey& key) override;
    void deleteKey(std::size_t track, std::int32_t row) override;
    void seekRow(std::int32_t row) override;
    void setPaused(bool paused) override;
    // Writes each track changed since it was last saved to its source, one
    // line on stderr per file. A source changed on disk since the show read
    // it gets the editor's changes on top of what it holds now (and so does
    // the show), once another program's write has settled; one with a
    // mistake in it, or that does not settle, is not written over, nor one
    // the text would take past the readers' size limit. A track that could
    // not be written stays changed, for the next save.
    void saveTracks() override;

    // Why the last save could not write a track, "" when it wrote them all.
    const std::string& problem() const { return problem_; }

private:
    // "" when saved, else why not.
    std::string saveTrack(std::size_t index);

    SyncDevice& device_;
    Transport& transport_;
    TrackSources& sources_;
    UnsavedEdits& unsaved_;
    std::function<void()> moved_;
    std::string problem_;
};

} // namespace Sorva
