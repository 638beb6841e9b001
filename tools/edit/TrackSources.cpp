// Reading and rewriting track sources.
#include "tools/edit/TrackSources.h"

#include "sync/RegularFile.h"
#include "sync/TrackFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

namespace Sorva {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view temporarySuffix = ".txt.saving";

// What a write to a file changes: a state of it to tell from the next.
struct Stamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // ns since the epoch
    std::uintmax_t inode = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const fs::path& file) {
    struct stat info {};
    if (stat(file.c_str(), &info) != 0)
        return {};
    return {std::uintmax_t(info.st_size),
            std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            std::uintmax_t(info.st_ino)};
}

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

TrackSources::Settled TrackSources::settle(const fs::path& file,
                                           std::chrono::milliseconds patience) const {
    using Clock = std::chrono::steady_clock;
    // A writer that has not touched the file for this long is taken to be done.
    constexpr auto stillFor = std::chrono::milliseconds(50);
    const auto start = Clock::now();
    Settled got;
    Stamp seen{};
    auto quietSince = start;
    std::optional<bool> hadKeys;
    for (bool first = true;; first = false) {
        const Stamp now = stampOf(file);
        if (first || now != seen) {
            seen = now;
            got.source = readText(file);
            got.keys = parseTrackText(got.source.text, file.string());
            // Quiet since its last change, as far as the clock of the file tells.
            const auto age = std::chrono::system_clock::now().time_since_epoch() -
                             std::chrono::nanoseconds(now.modified);
            quietSince = Clock::now() - std::clamp<Clock::duration>(age, {}, stillFor);
        }
        if (got.source.missing || !got.source.problem.empty())
            return got;
        const std::string& text = got.source.text;
        const bool parsed = got.keys.error.empty();
        if (parsed && got.keys.keys.empty() && !hadKeys) {
            const auto known = texts_.find(file);
            hadKeys =
                known != texts_.end() && !parseTrackText(known->second, file.string()).keys.empty();
        }
        const bool emptied = parsed && got.keys.keys.empty() && (text.empty() || *hadKeys);
        const bool unfinished = !text.empty() && text.back() != '\n';
        const bool still = Clock::now() - quietSince >= stillFor;
        if (still && !emptied && (!parsed || !unfinished))
            return got;
        if (Clock::now() - start >= patience) {
            got.unsettled = file.string() + " did not settle in " +
                            std::to_string(patience.count()) + " ms (" +
                            (!still    ? "it kept changing"
                             : emptied ? "it has no keys, where it had some"
                                       : "its last line is unfinished") +
                            "): another program may be writing it; the editor's changes are "
                            "kept and not saved over it";
            return got;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
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
    if (text.size() > maxTrackFileBytes)
        return file.string() + " would be " + std::to_string(text.size()) +
               " bytes, more than the " + std::to_string(maxTrackFileBytes) +
               " a track source may hold; the editor's changes are kept and not saved";
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
