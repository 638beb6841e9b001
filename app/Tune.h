// The show's tune: where the demo and the capture tool read it, relative to
// the show directory, and its tempo, which turns music time into rows.
#pragma once

namespace Sorva {

inline constexpr const char* tunePath = "./data/nostalgia-rmx.mp3";
inline constexpr double tuneBpm = 131.0;

} // namespace Sorva
