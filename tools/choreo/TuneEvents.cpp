// Parsing the tune's event table.
#include "tools/choreo/TuneEvents.h"

#include "sync/TrackText.h"
#include "tools/choreo/Fields.h"

namespace Sorva::Choreo {

TuneEventsResult parseTuneEvents(std::string_view text, std::string_view fileName) {
    TuneEventsResult result;
    for (const Line& line : splitLines(text)) {
        const std::vector<std::string>& fields = line.fields;
        const auto fail = [&](const std::string& why) {
            result.error = std::string(fileName) + ':' + std::to_string(line.number) + ": " + why;
        };
        TuneEvent event;
        if (fields.size() < 2) {
            fail("expected ROW KIND");
            return result;
        }
        if (!parseRow(fields[0], event.row)) {
            fail("row " + quotedField(fields[0]) +
                 " is not a whole number from -2147483648 to 2147483647");
            return result;
        }
        if (!result.events.empty() && event.row < result.events.back().row) {
            fail("rows must not go back");
            return result;
        }
        event.kind = fields[1];
        for (std::size_t i = 2; i < fields.size(); ++i)
            event.detail += (i > 2 ? " " : "") + fields[i];
        result.events.push_back(std::move(event));
    }
    return result;
}

} // namespace Sorva::Choreo
