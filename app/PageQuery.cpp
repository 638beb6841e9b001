// Parsing and checking the page's address options.
#include "app/PageQuery.h"

#include "fx/PBall.h"
#include "fx/ShowScenes.h"
#include "sync/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace Sorva {

namespace {

using BadValue = PageQuery::BadValue;

// "%41" and "+" as a browser writes them; a broken escape is kept as typed.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, code, 16).ptr ==
                text.data() + i + 3) {
            out += static_cast<char>(code);
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

// The first value given for each name, as the page's URLSearchParams.get()
// reads it.
std::map<std::string, std::string> split(std::string_view query) {
    if (!query.empty() && query.front() == '?')
        query.remove_prefix(1);
    std::map<std::string, std::string> values;
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        const std::size_t equals = std::min(pair.find('='), pair.size());
        const std::string name = unescape(pair.substr(0, equals));
        if (!name.empty())
            values.emplace(name, unescape(pair.substr(std::min(equals + 1, pair.size()))));
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return values;
}

std::string quoted(const std::string& name, const std::string& value) {
    return "?" + escapedField(name) + "=" + escapedField(value);
}

// Decimal only: strtod's hexadecimal, "inf" and "nan" are refused.
double number(const std::string& name, const std::string& value, double low, double high) {
    const bool decimal =
        !value.empty() && value.find_first_not_of("0123456789.eE+-") == std::string::npos;
    char* end = nullptr;
    const double parsed = decimal ? std::strtod(value.c_str(), &end) : 0.0;
    if (!decimal || end != value.c_str() + value.size() || !std::isfinite(parsed) || parsed < low ||
        parsed > high) {
        char range[64];
        std::snprintf(range, sizeof range, " from %g to %g", low, high);
        throw BadValue(quoted(name, value) + ": not a number" + range);
    }
    return parsed;
}

int whole(const std::string& name, const std::string& value, int low, int high) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        parsed < low || parsed > high)
        throw BadValue(quoted(name, value) + ": not a whole number from " + std::to_string(low) +
                       " to " + std::to_string(high));
    return parsed;
}

// A switch: "1", or given without a value, is on; "0" is off.
bool flag(const std::string& name, const std::string& value) {
    if (value != "" && value != "0" && value != "1")
        throw BadValue(quoted(name, value) + ": not 0 or 1");
    return value != "0";
}

} // namespace

PageQuery PageQuery::parse(std::string_view text) {
    const std::map<std::string, std::string> values = split(text);
    const auto given = [&values](const char* name) -> const std::string* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : &found->second;
    };
    PageQuery query;
    if (const std::string* particles = given("particles"))
        query.particles = whole("particles", *particles, 1, PBall::particleCount);
    if (const std::string* from = given("from")) {
        query.from = number("from", *from, 0, 1e5);
        query.fromGiven_ = *from;
    }
    if (const std::string* overlay = given("overlay"))
        query.overlay = flag("overlay", *overlay);
    if (const std::string* verbose = given("verbose"))
        query.verbose = flag("verbose", *verbose);
    if (const std::string* lead = given("lead")) {
        if (*lead != "on" && *lead != "off")
            throw BadValue(quoted("lead", *lead) + ": not on or off");
        query.leadOff = *lead == "off";
    }
    const std::string* row = given("row");
    if (!row) {
        for (const char* name : {"fps", "size", "effect"})
            if (const std::string* value = given(name))
                throw BadValue(quoted(name, *value) + ": only for a still frame, with ?row=N");
        return query;
    }

    StillRequest still;
    // Far past any show; the show holds its last row beyond the tune.
    still.row = number("row", *row, 0, 1e6);
    still.from = query.from;
    if (const std::string* fps = given("fps"))
        still.fps = whole("fps", *fps, 1, 240);
    if (const std::string* size = given("size")) {
        const std::size_t x = size->find('x');
        if (x == std::string::npos)
            throw BadValue(quoted("size", *size) + ": not WIDTHxHEIGHT");
        still.width = whole("size", size->substr(0, x), 16, 4096);
        still.height = whole("size", size->substr(x + 1), 16, 4096);
    }
    if (const std::string* effect = given("effect")) {
        const std::vector<std::string>& names = effectNames();
        if (std::find(names.begin(), names.end(), *effect) == names.end()) {
            std::string known;
            for (const std::string& name : names)
                known += (known.empty() ? "" : ", ") + name;
            throw BadValue(quoted("effect", *effect) + ": no such effect (" + known + ")");
        }
        still.effect = *effect;
    }
    query.still = still;
    return query;
}

void PageQuery::checkFromWithin(double tuneSeconds) const {
    if (from >= tuneSeconds && !fromGiven_.empty()) {
        char end[64];
        std::snprintf(end, sizeof end, " (%g s)", tuneSeconds);
        throw BadValue(quoted("from", fromGiven_) + ": past the end of the tune" + end);
    }
}

} // namespace Sorva
