// Reading and rewriting track sources.
#include "tools/edit/TrackSources.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Sorva {

namespace fs = std::filesystem;

fs::path TrackSources::sourceOf(const std::string& trackName) const {
    if (trackName.empty() || trackName[0] == '.' || trackName.find('/') != std::string::npos ||
        trackName.find('\0') != std::string::npos)
        return {};
    return directory_ / (trackName + ".txt");
}

TrackTextResult TrackSources::read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    if (!in) {
        TrackTextResult failed;
        failed.error = file.string() + ": cannot read: " + std::strerror(errno);
        return failed;
    }
    return parseTrackText(text.str(), file.string());
}

std::string TrackSources::write(const std::string& trackName, const SyncKey* keys,
                                std::int32_t count) const {
    const fs::path file = sourceOf(trackName);
    if (file.empty())
        return "track \"" + trackName + "\" has no name a source file could carry";
    std::string previous;
    if (std::ifstream in{file, std::ios::binary}) {
        std::ostringstream text;
        text << in.rdbuf();
        previous = text.str();
    }
    // Written beside it and renamed over it: a reader never sees half a file.
    const fs::path temporary = directory_ / ("." + trackName + ".txt.saving");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << rewriteTrackText(previous, keys, count);
        out.close();
        if (!out)
            return "cannot write " + temporary.string() + ": " + std::strerror(errno);
    }
    std::error_code error;
    fs::rename(temporary, file, error);
    if (error) {
        fs::remove(temporary, error);
        return "cannot replace " + file.string() + ": " + error.message();
    }
    return "";
}

} // namespace Sorva
