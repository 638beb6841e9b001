// The editor's commands carried out on the show.
#include "tools/edit/ShowEdits.h"

#include <cstdio>

namespace Sorva {

void ShowEdits::setKey(std::size_t track, const SyncKey& key) {
    device_.setKey(track, key);
    unsaved_.setKey(track, key);
}

void ShowEdits::deleteKey(std::size_t track, std::int32_t row) {
    device_.deleteKey(track, row);
    unsaved_.deleteKey(track, row);
}

void ShowEdits::seekRow(std::int32_t row) {
    transport_.seek(row);
    if (moved_)
        moved_();
}

void ShowEdits::setPaused(bool paused) {
    transport_.setPaused(paused);
    if (moved_)
        moved_();
}

void ShowEdits::saveTracks() {
    problem_.clear();
    for (const std::size_t index : unsaved_.tracks()) {
        const std::string problem = saveTrack(index);
        if (problem.empty()) {
            unsaved_.saved(index);
            std::fprintf(stderr, "halvo-edit: saved %s\n",
                         sources_.sourceOf(device_.track(index).name).string().c_str());
        } else {
            std::fprintf(stderr, "halvo-edit: %s\n", problem.c_str());
            problem_ = problem;
        }
    }
}

std::string ShowEdits::saveTrack(std::size_t index) {
    const std::string name = device_.track(index).name;
    const std::filesystem::path file = sources_.sourceOf(name);
    if (file.empty())
        return "track \"" + name + "\" has no name a source file could carry";
    TrackSources::Text onDisk = TrackSources::readText(file);
    if (!onDisk.problem.empty())
        return onDisk.problem + "; not saved";
    // A source that is gone is written anew from the show's keys.
    if (!onDisk.missing && !sources_.holds(file, onDisk.text)) {
        // Changed since the show read it, and the watch has not taken it in
        // yet (or could not): most likely another program is writing it at
        // this moment. Once it has settled, the editor's changes go on top.
        TrackSources::Settled settled = sources_.settle(file);
        if (!settled.unsettled.empty())
            return settled.unsettled;
        onDisk = std::move(settled.source);
        if (!onDisk.problem.empty())
            return onDisk.problem + "; not saved";
        const TrackTextResult& there = settled.keys;
        if (!onDisk.missing && !there.error.empty())
            return file.string() +
                   " changed on disk and has a mistake; the editor's changes are kept "
                   "and not saved over it (" +
                   there.error + ")";
        if (!onDisk.missing && !sources_.holds(file, onDisk.text)) {
            const std::vector<SyncKey> keys = unsaved_.onTop(index, there.keys);
            device_.replaceKeys(index, keys.data(), static_cast<std::int32_t>(keys.size()));
            sources_.remember(file, onDisk.text);
            std::fprintf(stderr,
                         "halvo-edit: %s changed on disk since the show read it; the editor's "
                         "changes go on top of it\n",
                         file.string().c_str());
        }
    }
    const SyncTrack& track = device_.track(index);
    return sources_.write(name, track.keys.get(), track.keyCount, onDisk.text);
}

} // namespace Sorva
