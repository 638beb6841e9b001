// Placeholder until the real clock lands: always at row 0.
#include "sync/MusicClock.h"

namespace Sorva {

MusicClock& MusicClock::instance() {
    static MusicClock clock;
    return clock;
}

void MusicClock::open(const char*, double bpm) { rowsPerSecond_ = bpm / 60.0 * 8.0; }
void MusicClock::start() {}
double MusicClock::row() const { return 0.0; }

} // namespace Sorva
