// The tune's events as halvo-tune exports them: one per line, "ROW KIND
// [DETAIL...]", sorted by row; "#" starts a comment. Kicks, claps, snares,
// crashes and fills are what the picture hits on; "section" lines name the
// arrangement's parts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva::Choreo {

struct TuneEvent {
    std::int32_t row = 0;
    std::string kind;
    std::string detail; // the rest of the line: a section's name, a fill's end row
};

struct TuneEventsResult {
    std::vector<TuneEvent> events;
    std::string error; // "FILE:LINE: reason"; empty when parsed
};

TuneEventsResult parseTuneEvents(std::string_view text, std::string_view fileName);

} // namespace Sorva::Choreo
