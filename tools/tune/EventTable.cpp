// Event table: drum hits become "kick", "clap"... with their velocity; fills,
// the riser and the gap carry their end row; sections their name.
#include "tools/tune/EventTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace Sorva::Tune {

namespace {

// Rows on the grid print as integers, others with up to three decimals.
std::string formatRow(double row) {
    char text[32];
    if (row == std::floor(row))
        std::snprintf(text, sizeof text, "%.0f", row);
    else {
        std::snprintf(text, sizeof text, "%.3f", row);
        std::string s = text;
        s.erase(s.find_last_not_of('0') + 1);
        return s;
    }
    return text;
}

std::string formatVelocity(float velocity) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", velocity);
    return text;
}

// The exported name of a hit; nullptr for what the table leaves out (the
// tonal instruments, closed hats and shaker: too dense to cut on).
const char* hitName(Instrument instrument) {
    switch (instrument) {
    case Instrument::Kick:
        return "kick";
    case Instrument::Clap:
        return "clap";
    case Instrument::Snare:
        return "snare";
    case Instrument::Tom:
        return "tom";
    case Instrument::OpenHat:
        return "openhat";
    case Instrument::Crash:
        return "crash";
    case Instrument::Boom:
        return "boom";
    case Instrument::Riser:
        return "riser";
    default:
        return nullptr;
    }
}

} // namespace

EventTable::EventTable(const Song& song) {
    for (const Section& s : Song::sections())
        events_.push_back({s.bar * double(Song::rowsPerBar), "section", s.name});
    events_.push_back({Song::gapRow, "gap", formatRow(Song::dropRow)});
    for (const Fill& f : song.fills())
        events_.push_back({f.row, "fill", formatRow(f.endRow) + " " + f.style});
    for (const NoteEvent& e : song.events()) {
        const char* name = hitName(e.instrument);
        if (!name)
            continue;
        events_.push_back({e.row, name,
                           e.instrument == Instrument::Riser ? formatRow(e.row + e.length)
                                                             : formatVelocity(e.velocity)});
    }
    events_.push_back({Song::endRow, "end", ""});
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.row < b.row; });
}

void EventTable::write(std::ostream& out) const {
    out << "# halvo-tune events: the hits and landmarks of the tune, one a line.\n"
           "# Rows: 8 a beat, 32 a bar, at 131 BPM; frame = round(row * 44100 * 60 / 1048).\n"
           "# ROW kick|clap|snare|tom|openhat|crash|boom VELOCITY (0..1)\n"
           "# ROW riser|gap END_ROW\n"
           "# ROW fill END_ROW snare|toms|roll\n"
           "# ROW section NAME\n"
           "# ROW end (the last sound has faded: silence from here)\n";
    for (const Event& e : events_) {
        out << formatRow(e.row) << ' ' << e.kind;
        if (!e.fields.empty())
            out << ' ' << e.fields;
        out << '\n';
    }
}

void EventTable::writeFile(const std::string& path) const {
    std::ofstream out(path);
    if (out)
        write(out);
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace Sorva::Tune
