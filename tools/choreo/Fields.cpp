// Reading, fields and numbers of the choreography's text files.
#include "tools/choreo/Fields.h"

#include "sync/RegularFile.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace Sorva::Choreo {

std::string readTextFile(const std::string& path, std::string& text) {
    const RegularFile opened = openRegularFile(path, maxFileBytes);
    if (!opened.file)
        return opened.problem;
    return readToEnd(opened.file, text, maxFileBytes) ? "" : "read error";
}

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words{std::string(line)};
        Line parsed{number, {}};
        for (std::string word; words >> word;)
            parsed.fields.push_back(word);
        if (!parsed.fields.empty())
            lines.push_back(std::move(parsed));
        start = end + 1;
    }
    return lines;
}

bool parseRow(const std::string& field, std::int32_t& row) {
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, row);
    return ec == std::errc() && ptr == end;
}

bool parseNumber(const std::string& field, double& value) {
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace Sorva::Choreo
