// The rules that turn the tune's events into sync tracks, one per line:
//
//     TRACK  RULE  EVENTS  FROM  TO  ARGS...
//
//   TRACK   the sync track the rule writes, as OUTDIR/TRACK.txt: letters,
//           digits, "-", "_" and ".", not starting with "." and not
//           CMakeLists in any case (the tracks folder's build file)
//   RULE    (numbers up to 1e9 in size, ROWS from 1 to 2097152)
//           level:  ARGS = VALUE; the track rests at VALUE over the bars
//           ramp:   ARGS = A B; the rest goes linearly from A to B over them
//           pulse:  ARGS = PEAK ROWS; on each event the track jumps PEAK
//                   above its rest and falls back linearly over ROWS rows
//           toggle: ARGS = A B; the rest alternates A, B, A... on each event
//           clock:  ARGS = PER_BAR SURGE ROWS; the track counts time, PER_BAR
//                   units a bar, plus SURGE units over the ROWS rows after
//                   each event (it never stops and never runs back)
//   EVENTS  kinds of the tune's events, comma-separated (kick,clap), or "-"
//   FROM TO bars, FROM included, TO not (a bar is 32 rows); 31.75 is the
//           last beat of bar 31
//
// "#" starts a comment. Where rules of one track overlap, the later line
// wins for the rest; pulses of all lines add up in time order, each new
// pulse taking over from the last.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva::Choreo {

struct HitRule {
    enum class Kind { Level, Ramp, Pulse, Toggle, Clock };
    std::string track;
    Kind kind = Kind::Level;
    std::vector<std::string> events;
    std::int32_t fromRow = 0;
    std::int32_t toRow = 0;
    double a = 0.0; // VALUE, A, PEAK or PER_BAR
    double b = 0.0; // ROWS, B or SURGE
    double c = 0.0; // ROWS of a clock
};

struct HitRulesResult {
    std::vector<HitRule> rules;
    std::string error; // "FILE:LINE: reason"; empty when parsed
};

HitRulesResult parseHitRules(std::string_view text, std::string_view fileName);

} // namespace Sorva::Choreo
