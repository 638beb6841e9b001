// The binary track file: a little-endian 32-bit key count, then 9-byte keys
// (row int32, value float32, type int8); bytes after the last key are ignored.
#pragma once

#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Sorva {

// The largest track file read, 16 MiB: some 1.9 million keys, one on every row
// of 30 hours of music. A larger file is refused rather than allocated for.
inline constexpr std::uintmax_t maxTrackFileBytes = 16u << 20;

// The read function of a SyncDevice, fread-shaped.
using TrackReadFunction = std::size_t (*)(void* buffer, std::size_t size, std::size_t count,
                                          std::FILE* file);

// What a read found, beyond the keys it kept; tools report it, the demo does not.
struct TrackFileReport {
    bool hasCount = false; // false: the file ended (or failed) within the 4 count bytes
    std::int32_t announcedCount = 0;
    bool readError = false;
};

// Replaces the track's keys with the file's, from the current position to the
// end. Keeps every whole key present up to the announced count (a partial last
// key is dropped; a negative count means none). On a seekable stream the key
// array is sized by what the rest of the file can hold, so a lying count never
// allocates more than that; on a pipe it grows with the keys actually read.
TrackFileReport readTrackKeys(std::FILE* file, SyncTrack& track, TrackReadFunction read);
TrackFileReport readTrackKeys(std::FILE* file, SyncTrack& track);

// The file bytes for these keys (types are stored as their low 8 bits).
std::string trackFileBytes(const SyncKey* keys, std::int32_t count);

} // namespace Sorva
