// The editor's commands carried out on the show.
#include "tools/edit/ShowEdits.h"

#include <cstdio>

namespace Sorva {

void ShowEdits::setKey(std::size_t track, const SyncKey& key) {
    device_.setKey(track, key);
    edited_.insert(track);
}

void ShowEdits::deleteKey(std::size_t track, std::int32_t row) {
    device_.deleteKey(track, row);
    edited_.insert(track);
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
    for (const std::size_t index : edited_) {
        const SyncTrack& track = device_.track(index);
        const std::string problem = sources_.write(track.name, track.keys.get(), track.keyCount);
        if (problem.empty()) {
            std::fprintf(stderr, "halvo-edit: saved %s\n",
                         sources_.sourceOf(track.name).string().c_str());
        } else {
            std::fprintf(stderr, "halvo-edit: %s\n", problem.c_str());
            problem_ = problem;
        }
    }
    edited_.clear();
}

} // namespace Sorva
