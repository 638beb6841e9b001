// Reading and rewriting track sources.
#include "tools/edit/TrackSources.h"

#include "sync/RegularFile.h"
#include "sync/TrackFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace Sorva {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view temporarySuffix = ".txt.saving";

} // namespace

fs::path TrackSources::sourceOf(const std::string& trackName) const {
    if (trackName.empty() || trackName[0] == '.' || trackName.find('/') != std::string::npos ||
        trackName.find('\0') != std::string::npos)
        return {};
    return directory_ / (trackName + ".txt");
}

bool TrackSources::isSource(const fs::path& file) {
    const std::string name = file.filename().string();
    return file.extension() == ".txt" && name[0] != '.' && name != "CMakeLists.txt";
}

fs::path TrackSources::temporaryOf(const std::string& trackName) const {
    return directory_ / ("." + trackName + std::string(temporarySuffix));
}

TrackTextResult TrackSources::read(const fs::path& file) {
    const Text source = readText(file);
    if (source.missing || !source.problem.empty()) {
        TrackTextResult failed;
        failed.error = source.missing ? file.string() + ": cannot read: No such file or directory"
                                      : source.problem;
        return failed;
    }
    return parseTrackText(source.text, file.string());
}

TrackSources::Text TrackSources::readText(const fs::path& file) {
    Text source;
    // A FIFO or device in place of a source is refused, never waited on.
    const RegularFile opened = openRegularFile(file.string(), maxTrackFileBytes);
    source.missing = opened.missing;
    if (!opened.missing &&
        (!opened.file || !readToEnd(opened.file, source.text, maxTrackFileBytes)))
        source.problem = file.string() + ": cannot read: " +
                         (opened.file ? std::string("read error") : opened.problem);
    return source;
}

bool TrackSources::holds(const fs::path& file, const std::string& text) const {
    const auto known = texts_.find(file);
    return known != texts_.end() ? known->second == text : text.empty();
}

void TrackSources::remember(const fs::path& file, std::string text) {
    texts_[file] = std::move(text);
}

std::string TrackSources::write(const std::string& trackName, const SyncKey* keys,
                                std::int32_t count, const std::string& previous) {
    const fs::path file = sourceOf(trackName);
    if (file.empty())
        return "track \"" + trackName + "\" has no name a source file could carry";
    std::string text = rewriteTrackText(previous, keys, count);
    // Written beside it and renamed over it: a reader never sees half a file.
    const fs::path temporary = temporaryOf(trackName);
    std::error_code error;
    // Whatever a killed save left there goes first (a FIFO would block the open).
    fs::remove(temporary, error);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            const std::string why = std::strerror(errno);
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return "cannot write " + temporary.string() + ": " + why;
        }
    }
    fs::rename(temporary, file, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return "cannot replace " + file.string() + ": " + error.message();
    }
    remember(file, std::move(text));
    return "";
}

void TrackSources::removeLeftovers() const {
    std::error_code error;
    for (fs::directory_iterator it(directory_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 1 + temporarySuffix.size() && name[0] == '.' &&
            name.ends_with(temporarySuffix) && !it->is_directory(error)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

} // namespace Sorva
