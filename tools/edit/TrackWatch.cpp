// Watching track sources and swapping their keys in.
#include "tools/edit/TrackWatch.h"

#include <cstdio>

namespace Sorva {

namespace fs = std::filesystem;

TrackWatch::TrackWatch(TrackSources& sources, SyncDevice& device, const UnsavedEdits& unsaved)
    : sources_(sources), device_(device), unsaved_(unsaved),
      watch_(sources.directory(), false, "track sources") {}

void TrackWatch::loadAll() {
    sources_.removeLeftovers();
    for (std::size_t i = 0; i < device_.trackCount(); ++i) {
        const fs::path file = sources_.sourceOf(device_.track(i).name);
        std::error_code error;
        if (!file.empty() && fs::exists(file, error))
            load(file, true);
    }
}

bool TrackWatch::poll() {
    const auto& saved = watch_.poll();
    for (const fs::path& file : saved)
        if (TrackSources::isSource(file))
            load(file);
    return !saved.empty();
}

void TrackWatch::load(const fs::path& file, bool evenIfKnown) {
    TrackSources::Text source = TrackSources::readText(file);
    if (source.missing)
        return; // gone again before it could be read
    if (!source.problem.empty()) {
        note(file, source.problem);
        return;
    }
    std::string& text = source.text;
    // The show's own save coming back, or a save that changed nothing.
    if (!evenIfKnown && sources_.holds(file, text) && !errors_.contains(file))
        return;
    TrackTextResult result = parseTrackText(text, file.string());
    if (!result.error.empty()) {
        note(file, result.error);
        return;
    }
    const std::ptrdiff_t index = device_.findTrack(trackNameOfSource(file.string()));
    if (index >= 0) {
        const auto track = static_cast<std::size_t>(index);
        const std::vector<SyncKey> keys = unsaved_.onTop(track, result.keys);
        device_.replaceKeys(track, keys.data(), static_cast<std::int32_t>(keys.size()));
        if (const std::size_t kept = unsaved_.count(track); kept > 0)
            std::fprintf(stderr,
                         "halvo-edit: %s changed on disk; its keys are in, with the editor's "
                         "%zu unsaved %s on top\n",
                         file.string().c_str(), kept, kept == 1 ? "change" : "changes");
    }
    sources_.remember(file, std::move(text));
    note(file, "");
}

void TrackWatch::note(const fs::path& file, const std::string& error) {
    if (error.empty()) {
        errors_.erase(file);
    } else {
        std::string& printed = errors_[file];
        if (printed != error)
            std::fprintf(stderr, "%s\n", error.c_str());
        printed = error;
        lastFailed_ = file;
    }
    const auto last = errors_.find(lastFailed_);
    problem_ = last != errors_.end() ? last->second
               : errors_.empty()     ? std::string()
                                     : errors_.begin()->second;
}

} // namespace Sorva
