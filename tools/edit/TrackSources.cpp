// Reading and rewriting track sources.
#include "tools/edit/TrackSources.h"

#include "sync/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace Sorva {

namespace fs = std::filesystem;

fs::path TrackSources::sourceOf(const std::string& trackName) const {
    if (trackName.empty() || trackName[0] == '.' || trackName.find('/') != std::string::npos ||
        trackName.find('\0') != std::string::npos)
        return {};
    return directory_ / (trackName + ".txt");
}

TrackTextResult TrackSources::read(const fs::path& file) {
    // A FIFO or device in place of a source is refused, never waited on.
    const RegularFile opened = openRegularFile(file.string());
    std::string text;
    if (!opened.file || !readToEnd(opened.file, text)) {
        TrackTextResult failed;
        failed.error = file.string() + ": cannot read: " +
                       (opened.file ? std::string("read error") : opened.problem);
        return failed;
    }
    return parseTrackText(text, file.string());
}

std::string TrackSources::write(const std::string& trackName, const SyncKey* keys,
                                std::int32_t count) const {
    const fs::path file = sourceOf(trackName);
    if (file.empty())
        return "track \"" + trackName + "\" has no name a source file could carry";
    std::string previous;
    if (const RegularFile opened = openRegularFile(file.string()); opened.file)
        readToEnd(opened.file, previous);
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
