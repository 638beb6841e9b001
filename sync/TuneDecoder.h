// Decodes a whole MP3 file into memory as 44.1 kHz stereo 16-bit PCM.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace Sorva {

// The interleaved samples, with the encoder's delay and padding removed when
// the file carries a LAME/Info tag, so that frame 0 is the first real sample.
// Nothing when the file is missing, is not MP3, or does not decode cleanly
// from its first frame to its last: a tune that would break off halfway
// through the show is refused before it starts.
std::optional<std::vector<std::int16_t>> decodeTune(const char* path);

} // namespace Sorva
