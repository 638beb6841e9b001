// Parsing the hit rules.
#include "tools/choreo/HitRules.h"

#include "sync/TrackText.h"
#include "tools/choreo/Fields.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

namespace Sorva::Choreo {

namespace {

// Numbers up to a billion: far more than a track needs, and small enough
// that a rest plus a pulse, or a clock counting over the longest show, stays
// well inside a 32-bit float.
constexpr double maxValue = 1e9;
// A pulse or surge lasts at most as long as the longest show (65536 bars).
constexpr double maxRows = 65536.0 * 32.0;

// The track's name becomes the file OUTDIR/NAME.txt: a plain file name.
bool plainName(const std::string& name) {
    if (name.empty() || name[0] == '.')
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.'))
            return false;
    return true;
}

// The build takes every NAME.txt of the tracks folder as a track's source but
// its own CMakeLists.txt; compared without case, as a case-blind file system
// (Windows, macOS) would open it.
bool buildFile(const std::string& name) {
    constexpr std::string_view cmakeLists = "cmakelists";
    return name.size() == cmakeLists.size() &&
           std::equal(name.begin(), name.end(), cmakeLists.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

std::vector<std::string> splitKinds(const std::string& field) {
    std::vector<std::string> kinds;
    if (field == "-")
        return kinds;
    std::istringstream in(field);
    for (std::string kind; std::getline(in, kind, ',');)
        if (!kind.empty())
            kinds.push_back(kind);
    return kinds;
}

} // namespace

HitRulesResult parseHitRules(std::string_view text, std::string_view fileName) {
    HitRulesResult result;
    for (const Line& line : splitLines(text)) {
        const std::vector<std::string>& f = line.fields;
        const auto fail = [&](const std::string& why) {
            result.error = std::string(fileName) + ':' + std::to_string(line.number) + ": " + why;
            return result;
        };
        if (f.size() < 5)
            return fail("expected TRACK RULE EVENTS FROM TO ARGS...");
        HitRule rule;
        rule.track = f[0];
        if (!plainName(rule.track))
            return fail("track name " + quotedField(rule.track) +
                        " must be letters, digits, '-', '_' and '.', not starting with '.'");
        if (buildFile(rule.track))
            return fail("track name " + quotedField(rule.track) +
                        " names the folder's CMakeLists.txt, not a track");
        std::size_t args = 0;
        if (f[1] == "level")
            rule.kind = HitRule::Kind::Level, args = 1;
        else if (f[1] == "ramp")
            rule.kind = HitRule::Kind::Ramp, args = 2;
        else if (f[1] == "pulse")
            rule.kind = HitRule::Kind::Pulse, args = 2;
        else if (f[1] == "toggle")
            rule.kind = HitRule::Kind::Toggle, args = 2;
        else if (f[1] == "clock")
            rule.kind = HitRule::Kind::Clock, args = 3;
        else
            return fail("unknown rule " + quotedField(f[1]) +
                        " (level, ramp, pulse, toggle or clock)");
        rule.events = splitKinds(f[2]);
        const bool rest = rule.kind == HitRule::Kind::Level || rule.kind == HitRule::Kind::Ramp;
        if (!rest && rule.events.empty())
            return fail("a " + f[1] + " rule needs events");
        // Bars may be fractional down to a row: 31.75 is the last beat of bar 31.
        double from = 0.0;
        double to = 0.0;
        if (!parseNumber(f[3], from) || !parseNumber(f[4], to) || from < 0.0 || to <= from ||
            to > 65536.0 || from * 32.0 != std::floor(from * 32.0) ||
            to * 32.0 != std::floor(to * 32.0))
            return fail("bars must be 0 <= FROM < TO, in whole rows");
        rule.fromRow = static_cast<std::int32_t>(from * 32.0);
        rule.toRow = static_cast<std::int32_t>(to * 32.0);
        if (f.size() != 5 + args)
            return fail(f[1] + " takes " + std::to_string(args) +
                        (args == 1 ? " number" : " numbers"));
        double* slots[] = {&rule.a, &rule.b, &rule.c};
        double* rows = rule.kind == HitRule::Kind::Pulse   ? &rule.b
                       : rule.kind == HitRule::Kind::Clock ? &rule.c
                                                           : nullptr;
        for (std::size_t i = 0; i < args; ++i) {
            if (!parseNumber(f[5 + i], *slots[i]))
                return fail("not a number: " + quotedField(f[5 + i]));
            if (slots[i] != rows && std::abs(*slots[i]) > maxValue)
                return fail(quotedField(f[5 + i]) + " is out of range (-1e9 to 1e9)");
        }
        if (rows && !(*rows >= 1.0 && *rows <= maxRows))
            return fail("ROWS must be from 1 to 2097152");
        result.rules.push_back(std::move(rule));
    }
    return result;
}

} // namespace Sorva::Choreo
