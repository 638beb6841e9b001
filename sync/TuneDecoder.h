// Decodes a whole MP3 file into memory as 44.1 kHz stereo 16-bit PCM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sorva {

// The interleaved samples, with the encoder's delay and padding removed when
// the file carries a LAME/Info tag, so that frame 0 is the first real sample.
// Tags at either end are skipped and junk between frames is resynced over,
// as players do. Nothing when the file is missing, yields no audio, or is cut
// short (fewer samples than its LAME tag counts, or without one, a last frame
// that ends before the file's trailing tags): a tune that would break off
// before its end is refused before the show starts. Only a regular file is
// read (a FIFO is never waited on). On refusal, why (if given) says why in
// a few words: "No such file or directory", "not MP3 audio", "cut short"...
std::optional<std::vector<std::int16_t>> decodeTune(const char* path, std::string* why = nullptr);

} // namespace Sorva
