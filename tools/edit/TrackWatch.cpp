// Watching track sources and swapping their keys in.
#include "tools/edit/TrackWatch.h"

#include <cstdio>

namespace Sorva {

namespace fs = std::filesystem;

TrackWatch::TrackWatch(const TrackSources& sources, SyncDevice& device)
    : sources_(sources), device_(device), watch_(sources.directory(), false) {}

void TrackWatch::loadAll() {
    for (std::size_t i = 0; i < device_.trackCount(); ++i) {
        const fs::path file = sources_.sourceOf(device_.track(i).name);
        std::error_code error;
        if (!file.empty() && fs::exists(file, error))
            load(file);
    }
}

bool TrackWatch::poll() {
    const auto& saved = watch_.poll();
    for (const fs::path& file : saved)
        if (file.extension() == ".txt")
            load(file);
    return !saved.empty();
}

void TrackWatch::load(const fs::path& file) {
    const std::ptrdiff_t index = device_.findTrack(trackNameOfSource(file.string()));
    TrackTextResult result = TrackSources::read(file);
    if (result.error.empty()) {
        if (index >= 0)
            device_.replaceKeys(static_cast<std::size_t>(index), result.keys.data(),
                                static_cast<std::int32_t>(result.keys.size()));
        errors_.erase(file);
    } else {
        std::string& printed = errors_[file];
        if (printed != result.error)
            std::fprintf(stderr, "%s\n", result.error.c_str());
        printed = result.error;
        lastFailed_ = file;
    }
    const auto last = errors_.find(lastFailed_);
    problem_ = last != errors_.end() ? last->second
               : errors_.empty()     ? std::string()
                                     : errors_.begin()->second;
}

} // namespace Sorva
