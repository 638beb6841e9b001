// The arrangement's hits and landmarks as a text table, one event a line,
// read by the choreography so that visual hits come from the song itself.
#pragma once

#include "tools/tune/Song.h"

#include <ostream>
#include <string>
#include <vector>

namespace Sorva::Tune {

class EventTable {
public:
    struct Event {
        double row;
        std::string kind;   // kick, clap, snare, tom, openhat, crash, boom, riser,
                            // fill, gap, section, end
        std::string fields; // what follows the kind on its line, "" if nothing
    };

    // Collects the events from the notes, fills and sections the song plays.
    explicit EventTable(const Song& song);

    // Ordered by row.
    const std::vector<Event>& events() const { return events_; }
    // The table as text: a commented header, then "ROW KIND FIELDS" lines.
    void write(std::ostream& out) const;
    // Writes the table to a file; throws std::runtime_error naming it on failure.
    void writeFile(const std::string& path) const;

private:
    std::vector<Event> events_;
};

} // namespace Sorva::Tune
