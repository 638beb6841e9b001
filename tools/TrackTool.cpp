// halvo-track: evaluates, names, dumps and compiles sync track files. Files
// are read as the demo reads them (regular files only, up to its size limit),
// and every problem with one ends in exit code 1.
#include "sync/RegularFile.h"
#include "sync/SyncDevice.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"
#include "sync/TrackText.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace Sorva;

constexpr const char* usage =
    "usage:\n"
    "  halvo-track eval FILE ROW...         the track file's value at each row\n"
    "  halvo-track path NAME                the file the demo reads track NAME from\n"
    "  halvo-track dump FILE                the track file's keys as text source\n"
    "  halvo-track compile OUTDIR SRC...    text sources NAME.txt to track files in OUTDIR\n";

// Problems beyond this many are counted, not listed.
constexpr std::size_t maxListedProblems = 10;

int usageError(const std::string& message) {
    std::fprintf(stderr, "halvo-track: %s\n%s", message.c_str(), usage);
    return 2;
}

void warn(const std::string& message) {
    std::fprintf(stderr, "halvo-track: %s\n", message.c_str());
}

struct LoadedFile {
    bool opened = false;
    std::string problem; // why it was not opened
    SyncTrack track;
    bool malformed = false;  // anything the demo reads differently from what the file claims
    bool expressible = true; // the keys can be written as text source
};

// Reads a track file as the demo does and warns about whatever is off in
// what it read; one it cannot open is left to the caller to report.
LoadedFile loadTrackFile(const std::string& path) {
    LoadedFile loaded;
    const RegularFile opened = openRegularFile(path, maxTrackFileBytes);
    if (!opened.file) {
        loaded.problem = opened.problem;
        return loaded;
    }
    loaded.opened = true;
    const TrackFileReport report = readTrackKeys(opened.file, loaded.track);
    std::fclose(opened.file);

    const std::int32_t kept = loaded.track.keyCount;
    if (report.readError) {
        warn(path + ": read error; " + std::to_string(kept) + " keys read");
        loaded.malformed = true;
    } else if (!report.hasCount) {
        warn(path + ": shorter than the 4-byte key count; no keys");
        loaded.malformed = true;
    } else if (report.announcedCount < 0) {
        warn(path + ": negative key count " + std::to_string(report.announcedCount) + "; no keys");
        loaded.malformed = true;
    } else if (kept < report.announcedCount) {
        warn(path + ": announces " + std::to_string(report.announcedCount) + " keys but holds " +
             std::to_string(kept) + " whole keys; those are used");
        loaded.malformed = true;
    }
    const auto problems = trackKeyProblems(loaded.track.keys.get(), kept);
    for (std::size_t i = 0; i < problems.size() && i < maxListedProblems; ++i)
        warn(path + ": " + problems[i]);
    if (problems.size() > maxListedProblems)
        warn(path + ": ... and " + std::to_string(problems.size() - maxListedProblems) +
             " more problems");
    if (!problems.empty()) {
        loaded.malformed = true;
        loaded.expressible = false;
    }
    return loaded;
}

int evalCommand(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return usageError("eval needs FILE and at least one ROW");
    std::vector<double> rows;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& text = args[i];
        double row = 0.0;
        const char* begin = text.c_str() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
        const auto [end, ec] = std::from_chars(begin, text.c_str() + text.size(), row);
        if (ec != std::errc() || end != text.c_str() + text.size())
            return usageError(quotedField(text) + " is not a row");
        rows.push_back(row);
    }
    // The values are what the demo would use, even from a broken file.
    const LoadedFile loaded = loadTrackFile(args[0]);
    if (!loaded.opened)
        warn(args[0] + ": cannot open (" + loaded.problem + "); 0 everywhere, as in the demo");
    for (const double row : rows)
        std::printf("%.17g\n", evaluate(loaded.track, row));
    return loaded.opened && !loaded.malformed ? 0 : 1;
}

int pathCommand(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return usageError("path needs exactly one NAME");
    std::printf("%s\n", SyncDevice(syncBasePath).trackPath(args[0]).c_str());
    return 0;
}

int dumpCommand(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return usageError("dump needs exactly one FILE");
    const LoadedFile loaded = loadTrackFile(args[0]);
    if (!loaded.opened) {
        warn(args[0] + ": cannot open (" + loaded.problem + ")");
        return 1;
    }
    const std::string text = formatTrackText(loaded.track.keys.get(), loaded.track.keyCount);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!loaded.expressible) {
        warn(args[0] + ": these keys do not compile back as they are");
        return 1;
    }
    return loaded.malformed ? 1 : 0;
}

// The whole file, or false with a message naming it. Sources are held to the
// size limit of track files.
bool readSource(const std::string& path, std::string& text) {
    const RegularFile opened = openRegularFile(path, maxTrackFileBytes);
    if (!opened.file) {
        warn(path + ": cannot open (" + opened.problem + ")");
        return false;
    }
    if (!readToEnd(opened.file, text, maxTrackFileBytes)) {
        warn(path + ": read error");
        return false;
    }
    return true;
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
    // Written aside under a fresh name of its own and renamed, so a reader
    // never sees half a file and nothing already there is opened.
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd >= 0) {
        // mkstemp makes it private; the track file gets the usual mode.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    bool ok = file != nullptr;
    int error = errno;
    if (ok) {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fclose(file) == 0 && ok;
        error = errno;
    } else if (fd >= 0) {
        close(fd);
    }
    std::error_code ec;
    if (ok)
        std::filesystem::rename(temporary, path, ec);
    if (!ok || ec) {
        warn(path.string() + ": cannot write (" + (ec ? ec.message() : std::strerror(error)) + ")");
        if (fd >= 0)
            std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

int compileCommand(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return usageError("compile needs OUTDIR and at least one SRC");
    const std::filesystem::path outDir = args[0];
    const SyncDevice naming(syncBasePath);

    struct Compiled {
        std::string source;
        std::string fileName;
        std::string bytes;
    };
    std::vector<Compiled> compiled;
    std::map<std::string, std::string> sourceOfFile;
    bool failed = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& source = args[i];
        const std::string name = trackNameOfSource(source);
        if (name.empty()) {
            warn(source + ": a track source must be named NAME.txt");
            failed = true;
            continue;
        }
        std::string text;
        if (!readSource(source, text)) {
            failed = true;
            continue;
        }
        const TrackTextResult parsed = parseTrackText(text, source);
        if (!parsed.error.empty()) {
            warn(parsed.error);
            failed = true;
            continue;
        }
        if (parsed.keys.empty())
            warn(source + ": no keys; track " + quotedField(name) + " is 0 everywhere");
        const std::string fileName = naming.trackPath(name);
        const auto [it, fresh] = sourceOfFile.emplace(fileName, source);
        if (!fresh) {
            warn(source + ": its track file " + fileName + " also comes from " + it->second);
            failed = true;
            continue;
        }
        compiled.push_back({source, fileName,
                            trackFileBytes(parsed.keys.data(), std::int32_t(parsed.keys.size()))});
    }
    if (failed)
        return 1;

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec || !std::filesystem::is_directory(outDir, ec)) {
        warn(outDir.string() + ": cannot make the output directory" +
             (ec ? " (" + ec.message() + ")" : ""));
        return 1;
    }
    for (const Compiled& c : compiled) {
        if (!writeFile(outDir / c.fileName, c.bytes))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usageError("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "eval")
        return evalCommand(args);
    if (command == "path")
        return pathCommand(args);
    if (command == "dump")
        return dumpCommand(args);
    if (command == "compile")
        return compileCommand(args);
    if (command == "-h" || command == "--help" || command == "help") {
        std::printf("%s", usage);
        return 0;
    }
    return usageError("unknown command " + quotedField(command));
}
