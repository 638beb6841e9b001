// Parsing and printing the text form of sync tracks.
#include "sync/TrackText.h"

#include "sync/Utf8.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace Sorva {

namespace {

constexpr std::array<std::string_view, 4> typeNames{"step", "linear", "smooth", "ramp"};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Splits a line (comment already removed) into whitespace-separated fields.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

// from_chars takes no leading "+"; people write it.
std::string_view withoutPlus(std::string_view s) {
    return s.size() > 1 && s[0] == '+' && s[1] != '-' ? s.substr(1) : s;
}

template <class T> std::errc parseWhole(std::string_view s, T& out) {
    s = withoutPlus(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    if (ec != std::errc())
        return ec;
    return end == s.data() + s.size() ? std::errc() : std::errc::invalid_argument;
}

// The reason a line is not a key, or "" with key filled in.
std::string parseKey(const std::vector<std::string_view>& f, SyncKey& key) {
    if (f.size() < 2)
        return "expected ROW VALUE [TYPE], got " + quotedField(f[0]);
    if (f.size() > 3)
        return "unexpected " + quotedField(f[3]) + " after the type";

    const std::errc rowError = parseWhole(f[0], key.row);
    if (rowError == std::errc::result_out_of_range)
        return "row " + quotedField(f[0]) + " is outside -2147483648..2147483647";
    if (rowError != std::errc())
        return "row " + quotedField(f[0]) + " is not an integer";

    std::errc valueError = parseWhole(f[1], key.value);
    if (valueError == std::errc::result_out_of_range) {
        // Too small is fine (it rounds to zero); too large is not.
        double wide = 0.0;
        if (parseWhole(f[1], wide) == std::errc() && std::fabs(wide) < 1.0) {
            key.value = std::copysign(0.0f, float(wide));
            valueError = std::errc();
        }
    }
    if (valueError == std::errc::result_out_of_range ||
        (valueError == std::errc() && !std::isfinite(key.value)))
        return "value " + quotedField(f[1]) + " is not a finite 32-bit float";
    if (valueError != std::errc())
        return "value " + quotedField(f[1]) + " is not a number";

    key.type = 0;
    if (f.size() == 3) {
        key.type = -1;
        for (std::size_t t = 0; t < typeNames.size(); ++t) {
            if (f[2] == typeNames[t] || (f[2].size() == 1 && f[2][0] == char('0' + t)))
                key.type = std::int32_t(t);
        }
        if (key.type < 0)
            return "unknown interpolation " + quotedField(f[2]) +
                   " (use step, linear, smooth, ramp or 0-3)";
    }
    return "";
}

// Where a key line of a source puts its fields, so that a key written in its
// place, or after it, lines up as the source does.
struct KeyLine {
    static constexpr std::size_t none = std::string_view::npos;
    std::string_view indent;                              // before the row
    std::array<std::string_view, 3> gaps;                 // before the value, the type, the comment
    std::array<std::size_t, 3> columns{none, none, none}; // where those start
    std::string_view type;                                // as written; empty when left out
    std::string_view comment;                             // from "#"; empty when none
};

KeyLine keyLineOf(std::string_view line, const std::vector<std::string_view>& f, std::size_t hash) {
    KeyLine key;
    const auto at = [&](std::string_view field) { return std::size_t(field.data() - line.data()); };
    key.indent = line.substr(0, at(f[0]));
    std::size_t end = at(f[0]) + f[0].size();
    for (std::size_t c = 0; c < 2 && c + 1 < f.size(); ++c) {
        key.columns[c] = at(f[c + 1]);
        key.gaps[c] = line.substr(end, key.columns[c] - end);
        end = key.columns[c] + f[c + 1].size();
    }
    if (f.size() > 2)
        key.type = f[2];
    if (hash != std::string_view::npos) {
        key.columns[2] = hash;
        key.gaps[2] = line.substr(end, hash - end);
        key.comment = line.substr(hash);
    }
    return key;
}

// Pads a line begun at lineStart to the column its model line has there, or
// by one space once past it; a gap with a tab in it is copied as it is.
void appendGap(std::string& out, std::size_t lineStart, std::string_view gap, std::size_t column) {
    const std::size_t at = out.size() - lineStart;
    if (gap.find('\t') != std::string_view::npos)
        out += gap;
    else
        out.append(column != KeyLine::none && column > at ? column - at : 1, ' ');
}

// A key as a line laid out like `like` (single spaces without one), with the
// type left out when it is step, unless writeStep.
void appendKey(std::string& out, const SyncKey& key, const KeyLine* like, bool writeStep,
               std::string_view comment) {
    static const KeyLine plain;
    const KeyLine& layout = like ? *like : plain;
    const std::size_t start = out.size();
    out += layout.indent;
    out += std::to_string(key.row);
    char value[64];
    const auto end = std::to_chars(value, value + sizeof value, key.value).ptr;
    appendGap(out, start, layout.gaps[0], layout.columns[0]);
    out.append(value, end);
    if (key.type != 0 || writeStep) {
        appendGap(out, start, layout.gaps[1], layout.columns[1]);
        if (key.type < 0 || key.type > 3)
            out += std::to_string(key.type);
        else if (layout.type.size() == 1) // the source writes types as numbers
            out += char('0' + key.type);
        else
            out += typeNames[std::size_t(key.type)];
    }
    if (!comment.empty()) {
        appendGap(out, start, layout.gaps[2], layout.columns[2]);
        out += comment;
    }
    out += '\n';
}

} // namespace

std::string quotedField(std::string_view field) {
    return '\'' + escapedField(field) + '\'';
}

TrackTextResult parseTrackText(std::string_view text, std::string_view fileName) {
    TrackTextResult result;
    // Editors on some systems start UTF-8 files with a byte order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        line = line.substr(0, line.find('#'));

        const auto f = fields(line);
        if (f.empty())
            continue;
        SyncKey key{};
        std::string reason = parseKey(f, key);
        if (reason.empty() && !result.keys.empty() && key.row <= result.keys.back().row)
            reason = "rows must ascend (" + std::to_string(key.row) + " after " +
                     std::to_string(result.keys.back().row) + ")";
        if (!reason.empty()) {
            result.keys.clear();
            result.error = std::string(fileName) + ":" + std::to_string(lineNumber) + ": " + reason;
            return result;
        }
        result.keys.push_back(key);
    }
    return result;
}

std::string formatTrackText(const SyncKey* keys, std::int32_t count) {
    std::string out;
    for (std::int32_t i = 0; i < count; ++i) {
        char value[64];
        const auto end = std::to_chars(value, value + sizeof value, keys[i].value).ptr;
        out += std::to_string(keys[i].row);
        out += ' ';
        out.append(value, end);
        out += ' ';
        const std::int32_t type = keys[i].type;
        out += type >= 0 && type < 4 ? std::string(typeNames[std::size_t(type)])
                                     : std::to_string(type);
        out += '\n';
    }
    return out;
}

std::string rewriteTrackText(std::string_view previous, const SyncKey* keys, std::int32_t count) {
    if (previous.starts_with("\xEF\xBB\xBF"))
        previous.remove_prefix(3);
    // One walk through both, each in row order: the source's lines go out as
    // they come, new keys go in where their rows fall, and a key line is
    // rewritten only when its key changed.
    std::string out;
    out.reserve(previous.size() + 64);
    std::string pending; // comment and blank lines since the last key line
    bool seenKey = false;
    KeyLine last;             // the source's key line before the next one
    bool stepWritten = false; // whether the source's step key before the next one wrote "step"
    std::int32_t next = 0;
    const auto newKeysBefore = [&](std::int64_t row, const KeyLine* like) {
        for (; next < count && keys[next].row < row; ++next)
            appendKey(out, keys[next], like, stepWritten, {});
    };
    while (!previous.empty()) {
        const std::size_t eol = previous.find('\n');
        std::string_view line = previous.substr(0, eol);
        previous.remove_prefix(eol == std::string_view::npos ? previous.size() : eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t hash = line.find('#');
        const auto f = fields(line.substr(0, hash));
        SyncKey written{};
        if (f.empty()) {
            (seenKey ? pending : out).append(line) += '\n';
            continue;
        }
        // A line with no row has no place among the keys (the callers
        // never hand over a source with a mistake).
        if (parseWhole(f[0], written.row) != std::errc())
            continue;
        const KeyLine here = keyLineOf(line, f, hash);
        const bool valid = parseKey(f, written).empty();
        newKeysBefore(written.row, seenKey ? &last : &here);
        // Comment lines between keys go with the key after them.
        out += pending;
        pending.clear();
        seenKey = true;
        if (next < count && keys[next].row == written.row) {
            const SyncKey& key = keys[next++];
            if (valid && key.type == written.type &&
                std::memcmp(&key.value, &written.value, sizeof(float)) == 0)
                out.append(line) += '\n';
            else
                appendKey(out, key, &here, !here.type.empty(), here.comment);
        } else if (!here.comment.empty()) {
            // The key is gone; what was said beside it stays.
            out.append(here.indent).append(here.comment) += '\n';
        }
        if (valid && written.type == 0)
            stepWritten = !here.type.empty();
        last = here;
    }
    newKeysBefore(std::int64_t(INT32_MAX) + 1, seenKey ? &last : nullptr);
    return out + pending;
}

std::vector<std::string> trackKeyProblems(const SyncKey* keys, std::int32_t count) {
    std::vector<std::string> problems;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string at = "key " + std::to_string(i) + ": ";
        if (i > 0 && keys[i].row <= keys[i - 1].row)
            problems.push_back(at + "row " + std::to_string(keys[i].row) + " is not after row " +
                               std::to_string(keys[i - 1].row));
        if (!std::isfinite(keys[i].value))
            problems.push_back(at + "value is not finite");
        if (keys[i].type < 0 || keys[i].type > 3)
            problems.push_back(at + "unknown interpolation type " + std::to_string(keys[i].type) +
                               " (evaluates to 0)");
    }
    return problems;
}

std::string trackNameOfSource(const std::string& path) {
    const std::filesystem::path p(path);
    if (p.extension() != ".txt")
        return "";
    return p.stem().string();
}

} // namespace Sorva
