// Splitting the choreography's text files into fields, and reading numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva::Choreo {

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
