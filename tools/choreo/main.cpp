// halvo-choreo: writes the sync tracks that hit on the tune's events, from
// the event table halvo-tune exports and the hit rules of the show.
//
//   halvo-choreo EVENTS RULES OUTDIR   writes OUTDIR/TRACK.txt for each ruled track
//   halvo-choreo --report EVENTS RULES how many events of each kind get an answer
#include "sync/RegularFile.h"
#include "sync/TrackText.h"
#include "tools/choreo/Fields.h"
#include "tools/choreo/HitRules.h"
#include "tools/choreo/HitTracks.h"
#include "tools/choreo/TuneEvents.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace Sorva;
using namespace Sorva::Choreo;

bool readText(const std::string& path, std::string& text) {
    const std::string problem = readTextFile(path, text);
    if (!problem.empty())
        std::fprintf(stderr, "halvo-choreo: cannot read %s: %s\n", path.c_str(), problem.c_str());
    return problem.empty();
}

int usage() {
    std::fprintf(stderr, "usage: halvo-choreo EVENTS RULES OUTDIR\n"
                         "       halvo-choreo --report EVENTS RULES\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return usage();
    const bool report = std::string(argv[1]) == "--report";
    const std::string eventsPath = argv[report ? 2 : 1];
    const std::string rulesPath = argv[report ? 3 : 2];
    std::string eventsText;
    std::string rulesText;
    if (!readText(eventsPath, eventsText) || !readText(rulesPath, rulesText))
        return 1;
    const TuneEventsResult events = parseTuneEvents(eventsText, eventsPath);
    const HitRulesResult rules = parseHitRules(rulesText, rulesPath);
    for (const std::string& error : {events.error, rules.error})
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }

    if (report) {
        std::map<std::string, std::pair<int, int>> counts; // answered, all
        for (const TuneEvent& event : events.events) {
            auto& [yes, all] = counts[event.kind];
            ++all;
            yes += answered(event, rules.rules) ? 1 : 0;
        }
        for (const auto& [kind, count] : counts)
            std::printf("%-8s %4d of %4d answered (%.0f %%)\n", kind.c_str(), count.first,
                        count.second, 100.0 * count.first / count.second);
        return 0;
    }

    const std::string outDir = argv[3];
    for (const std::string& name : ruledTracks(rules.rules)) {
        const std::vector<SyncKey> keys = hitTrackKeys(name, rules.rules, events.events);
        // The rules allow only plain names, so this stays inside OUTDIR.
        const std::string path = outDir + "/" + name + ".txt";
        const std::string text =
            "# Written by halvo-choreo from tracks/hits.rules and the tune's events:\n"
            "# change those and run tools/update-hits.sh, not this file.\n" +
            formatTrackText(keys.data(), static_cast<std::int32_t>(keys.size()));
        const RegularFile out = createRegularFile(path);
        bool written = out.file != nullptr;
        if (written) {
            written = std::fwrite(text.data(), 1, text.size(), out.file) == text.size();
            written = std::fclose(out.file) == 0 && written;
        }
        if (!written) {
            std::fprintf(stderr, "halvo-choreo: cannot write %s: %s\n", path.c_str(),
                         out.file ? "write error" : out.problem.c_str());
            return 1;
        }
    }
    return 0;
}
