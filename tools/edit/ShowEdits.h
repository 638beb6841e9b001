// What the sync editor asks, done to the running show: keys into the sync
// device, row and pause on the transport, and the changed tracks saved back
// to their text sources.
#pragma once

#include "sync/SyncDevice.h"
#include "tools/edit/EditorCommands.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/Transport.h"

#include <functional>
#include <set>
#include <string>

namespace Sorva {

class ShowEdits : public EditorCommands {
public:
    // `moved` is called after the editor has moved or paused the transport.
    ShowEdits(SyncDevice& device, Transport& transport, const TrackSources& sources,
              std::function<void()> moved = {})
        : device_(device), transport_(transport), sources_(sources), moved_(std::move(moved)) {}

    void setKey(std::size_t track, const SyncKey& key) override;
    void deleteKey(std::size_t track, std::int32_t row) override;
    void seekRow(std::int32_t row) override;
    void setPaused(bool paused) override;
    // Writes each track changed since the last save to its source, one line
    // on stderr per file; the keys stay as they are.
    void saveTracks() override;

    // Why the last save could not write a track, "" when it wrote them all.
    const std::string& problem() const { return problem_; }

private:
    SyncDevice& device_;
    Transport& transport_;
    const TrackSources& sources_;
    std::function<void()> moved_;
    std::set<std::size_t> edited_;
    std::string problem_;
};

} // namespace Sorva
