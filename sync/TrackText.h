// The text source of a sync track, compiled by halvo-track into a track file.
//
// One file per track, NAME.txt; the track's name is the file's stem, so
// tracks/letterbox-r.txt is track "letterbox-r". Each line holds one key:
//
//     ROW VALUE [TYPE]
//
//   ROW    a decimal integer in the 32-bit signed range; rows strictly ascend
//   VALUE  a finite decimal number that fits a 32-bit float (rounded to the
//          nearest one), e.g. 0, -1.5, 2.5e-3
//   TYPE   how the value moves from this key to the next: step (the default),
//          linear, smooth or ramp, or the numbers 0 to 3 for them
//
// Fields are separated by spaces or tabs; "#" starts a comment that runs to
// the end of the line; blank lines are ignored; a UTF-8 byte order mark at
// the start is skipped. A file without keys is a track that is 0 everywhere.
#pragma once

#include "sync/SyncTrack.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva {

struct TrackTextResult {
    std::vector<SyncKey> keys;
    std::string error; // "FILE:LINE: reason" for the first bad line; empty when parsed
};

// Parses a source text; fileName only labels the error message.
TrackTextResult parseTrackText(std::string_view text, std::string_view fileName);

// The keys as source text, one line each with an explicit type; values in the
// shortest form that reads back to the same float.
std::string formatTrackText(const SyncKey* keys, std::int32_t count);

// The keys as source text in the layout of an earlier source of the same
// track, changed no more than the keys: the line of a key that did not
// change stays as it was; a changed key keeps its line's columns and
// comment; a new key goes where its row falls, in the columns of the key
// line before it, with "step" written only where the source writes it. No
// comment line goes: those before the first key stay on top, those between
// keys stay before the key after them, and a deleted key's own comment stays
// as a line of its own.
std::string rewriteTrackText(std::string_view previous, const SyncKey* keys, std::int32_t count);

// What keeps these keys from being a valid source (rows out of order,
// non-finite values, unknown types), one message per bad key; empty if none.
std::vector<std::string> trackKeyProblems(const SyncKey* keys, std::int32_t count);

// A field of a source as messages show it: escapedField() in single quotes.
std::string quotedField(std::string_view field);

// The track name of a source path: its stem when it ends in ".txt", else "".
std::string trackNameOfSource(const std::string& path);

} // namespace Sorva
