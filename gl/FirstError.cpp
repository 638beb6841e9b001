// Picking the first error out of a GLSL info log.
#include "gl/FirstError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <regex>
#include <sstream>

namespace Sorva::Gl {

namespace {

bool saysError(const std::string& line) {
    std::string lower(line);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("error") != std::string::npos;
}

std::string trimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Each form: the location with the line number as group 1.
const std::regex* locatedForms() {
    static const std::regex forms[] = {
        std::regex(R"(^\d+:(\d+)\(\d+\):\s*)"),               // Mesa
        std::regex(R"(^\d+\((\d+)\)\s*:\s*)"),                // NVIDIA
        std::regex(R"(^(?:ERROR|WARNING):\s*\d+:(\d+):\s*)"), // reference compiler, AMD, Apple
    };
    return forms;
}
constexpr int locatedFormCount = 3;

// Whether the line starts with a location in one of the forms; match then
// holds it, the line number as group 1.
bool matchLocation(const std::string& line, std::smatch& match) {
    for (int i = 0; i < locatedFormCount; ++i)
        if (std::regex_search(line, match, locatedForms()[i]))
            return true;
    return false;
}

} // namespace

std::string logWithFile(const std::string& log, const std::string& path) {
    std::string out;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (line.empty())
            continue;
        std::smatch match;
        out += matchLocation(line, match)
                   ? path + ":" + match[1].str() + ": " + match.suffix().str() + "\n"
                   : path + ": " + line + "\n";
    }
    return out;
}

FirstError firstError(const std::string& log) {
    std::string chosen;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (line.empty())
            continue;
        if (saysError(line)) {
            chosen = line;
            break;
        }
        if (chosen.empty())
            chosen = line;
    }

    static const std::regex severity(R"(^error(?:\s+C\d+)?\s*:\s*)", std::regex::icase);
    FirstError error;
    if (chosen.empty()) {
        error.message = "the driver gives no reason";
        return error;
    }
    if (std::smatch match; matchLocation(chosen, match)) {
        const std::string digits = match[1].str();
        // Left at 0 should the number not fit.
        std::from_chars(digits.data(), digits.data() + digits.size(), error.line);
        chosen = match.suffix().str();
    }
    error.message =
        std::regex_replace(chosen, severity, "", std::regex_constants::format_first_only);
    return error;
}

} // namespace Sorva::Gl
