// The hits written from the tune's events: what each rule makes of a few
// events, read back the way the demo evaluates tracks; the messages of bad
// rules; and, on the show's own data, that every answered kick and clap has
// its hit keyed, the committed tracks are what the rules make now, and the
// show ends with the tune's last sound.
#include "sync/SyncTrack.h"
#include "sync/TrackText.h"
#include "tools/choreo/HitRules.h"
#include "tools/choreo/HitTracks.h"
#include "tools/choreo/TuneEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace Sorva;
using namespace Sorva::Choreo;

std::vector<TuneEvent> events(const char* text) {
    TuneEventsResult parsed = parseTuneEvents(text, "events");
    EXPECT_EQ(parsed.error, "");
    return parsed.events;
}

std::vector<HitRule> rules(const char* text) {
    HitRulesResult parsed = parseHitRules(text, "rules");
    EXPECT_EQ(parsed.error, "");
    return parsed.rules;
}

SyncTrack track(const std::vector<SyncKey>& keys) {
    SyncTrack t;
    t.keys = std::make_unique<SyncKey[]>(keys.size());
    std::copy(keys.begin(), keys.end(), t.keys.get());
    t.keyCount = static_cast<std::int32_t>(keys.size());
    return t;
}

TEST(Choreo, RulesShapeTheTrackAroundTheEvents) {
    // Kicks on rows 32, 40 and 44 (too close for a whole pulse), a clap on 48.
    const auto ev = events("# kicks\n0 section intro\n32 kick\n40 kick\n44 kick\n48 clap\n");
    const auto r = rules("p level - 0 2 0.1\n"
                         "p pulse kick 1 2 0.8 8\n"
                         "t toggle kick,clap 1 2 2 5\n"
                         "c clock kick 0 2 32 3 2\n"
                         "f ramp - 1 2 0 1\n");
    EXPECT_EQ(ruledTracks(r), (std::vector<std::string>{"p", "t", "c", "f"}));
    struct Case {
        const char* track;
        double row, value;
    };
    const Case cases[] = {
        {"p", 31, 0.1},  {"p", 32, 0.9},  {"p", 36, 0.5},  {"p", 39, 0.2},  {"p", 40, 0.9},
        {"p", 43, 0.6},  {"p", 44, 0.9},  {"p", 52, 0.1},  {"p", 70, 0.0},  {"t", 31, 0.0},
        {"t", 32, 2.0},  {"t", 40, 5.0},  {"t", 47, 2.0},  {"t", 48, 5.0},  {"t", 63, 5.0},
        {"t", 64, 0.0},  {"c", 16, 16.0}, {"c", 32, 32.0}, {"c", 33, 34.5}, {"c", 34, 37.0},
        {"c", 40, 43.0}, {"c", 64, 73.0}, {"c", 90, 73.0}, {"f", 48, 0.5},
    };
    for (const Case& c : cases) {
        const SyncTrack t = track(hitTrackKeys(c.track, r, ev));
        EXPECT_NEAR(evaluate(t, c.row), c.value, 1e-5) << c.track << " at row " << c.row;
    }
    EXPECT_TRUE(answered(ev[1], r));
    EXPECT_FALSE(answered(ev[0], r)) << "a section start";
}

TEST(Choreo, BadRulesAndEventsNameTheirLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"a level - 0", "rules:1: expected TRACK RULE EVENTS FROM TO ARGS..."},
        {"\na wobble - 0 4 1",
         "rules:2: unknown rule 'wobble' (level, ramp, pulse, toggle or clock)"},
        {"a pulse - 0 4 1 2", "rules:1: a pulse rule needs events"},
        {"a level - 4 4 1", "rules:1: bars must be 0 <= FROM < TO, in whole rows"},
        {"a level - 0 0.01 1", "rules:1: bars must be 0 <= FROM < TO, in whole rows"},
        {"a level - 0 4 1 2", "rules:1: level takes 1 number"},
        {"a level - 0 4 nan", "rules:1: not a number: 'nan'"},
        {"a pulse kick 0 4 1 0", "rules:1: ROWS must be from 1 to 2097152"},
        // Bytes a terminal would act on are shown escaped, in every message.
        {"a w\x1b[2J\a - 0 4 1",
         "rules:1: unknown rule 'w\\x1B[2J\\x07' (level, ramp, pulse, toggle or clock)"},
        {"a level - 0 4 1\x1b]0;x\a", "rules:1: not a number: '1\\x1B]0;x\\x07'"},
        // A track is written as OUTDIR/NAME.txt: never over the build's own file.
        {"CMakeLists level - 0 1 1",
         "rules:1: track name 'CMakeLists' names the folder's CMakeLists.txt, not a track"},
        {"cmakelists level - 0 1 1",
         "rules:1: track name 'cmakelists' names the folder's CMakeLists.txt, not a track"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseHitRules(c.text, "rules").error, c.error) << c.text;
    EXPECT_EQ(parseTuneEvents("8 kick\n4 kick\n", "events").error,
              "events:2: rows must not go back");
    EXPECT_EQ(parseTuneEvents("x kick\n", "events").error,
              "events:1: row 'x' is not a whole number from -2147483648 to 2147483647");
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(Choreo, TheShowsHitsAgreeWithTheTunesEvents) {
    const TuneEventsResult ev = parseTuneEvents(readText(HALVO_TUNE_EVENTS), HALVO_TUNE_EVENTS);
    const std::string rulesPath = std::string(HALVO_SOURCE_DIR) + "/tracks/hits.rules";
    const HitRulesResult r = parseHitRules(readText(rulesPath), rulesPath);
    ASSERT_EQ(ev.error, "");
    ASSERT_EQ(r.error, "");
    ASSERT_FALSE(ev.events.empty());

    int answeredHits = 0;
    for (const std::string& name : ruledTracks(r.rules)) {
        // What is committed is what the rules make of the tune as it is now.
        const std::string path = std::string(HALVO_SOURCE_DIR) + "/tracks/" + name + ".txt";
        const TrackTextResult committed = parseTrackText(readText(path), path);
        ASSERT_EQ(committed.error, "") << name;
        const std::vector<SyncKey> made = hitTrackKeys(name, r.rules, ev.events);
        EXPECT_EQ(formatTrackText(committed.keys.data(),
                                  static_cast<std::int32_t>(committed.keys.size())),
                  formatTrackText(made.data(), static_cast<std::int32_t>(made.size())))
            << path << " is out of date: run tools/update-hits.sh";

        // Each event a rule of this track answers breaks the track right at
        // its row (a pulse, a toggle) or bends it there (a clock's surge).
        const SyncTrack t = track(committed.keys);
        const auto rise = [&t](double row) { return evaluate(t, row) - evaluate(t, row - 1); };
        for (const TuneEvent& event : ev.events) {
            std::vector<HitRule> own;
            for (const HitRule& rule : r.rules)
                if (rule.track == name)
                    own.push_back(rule);
            if (!answered(event, own) || event.row < 2)
                continue;
            const double row = event.row;
            EXPECT_GT(
                std::max(std::abs(rise(row) - rise(row - 1)), std::abs(rise(row + 1) - rise(row))),
                1e-4)
                << name << " does not answer the " << event.kind << " at row " << event.row;
            ++answeredHits;
        }
    }
    EXPECT_GT(answeredHits, 0);

    // The show ends when the tune's last sound has faded, not before.
    const auto end = std::find_if(ev.events.begin(), ev.events.end(),
                                  [](const TuneEvent& event) { return event.kind == "end"; });
    ASSERT_NE(end, ev.events.end());
    const std::string ePath = std::string(HALVO_SOURCE_DIR) + "/tracks/e.txt";
    const TrackTextResult e = parseTrackText(readText(ePath), ePath);
    const SyncTrack eTrack = track(e.keys);
    EXPECT_LT(evaluate(eTrack, end->row - 0.01), 1.0);
    EXPECT_GE(evaluate(eTrack, end->row), 1.0);
}

} // namespace
