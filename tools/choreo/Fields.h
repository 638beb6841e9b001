// Reading the choreography's text files, splitting them into fields, and
// reading numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva::Choreo {

// The most a choreography text file (the tune's events, the hit rules) may
// hold: far beyond the tune's events (some 12 KB) and the rules (5 KB).
inline constexpr std::uintmax_t maxFileBytes = 16u << 20;

// Reads the whole file at path into text, never waiting on a FIFO or device;
// "" when read, else why not ("a FIFO, not a regular file", "N bytes, more
// than the M allowed", "read error").
std::string readTextFile(const std::string& path, std::string& text);

struct Line {
    int number = 0; // from 1
    std::vector<std::string> fields;
};

// The whitespace-separated fields of each line that has any once comments
// ("#" to the end of the line) are dropped.
std::vector<Line> splitLines(std::string_view text);

// A decimal integer row in the 32-bit range.
bool parseRow(const std::string& field, std::int32_t& row);
// A finite decimal number.
bool parseNumber(const std::string& field, double& value);

} // namespace Sorva::Choreo
