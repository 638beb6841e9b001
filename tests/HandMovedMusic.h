// Test helper: the process's music clock, opened once on the test tune with
// an audio output that stays wherever the test puts it.
#pragma once

#include "sync/ManualAudioOutput.h"

namespace Sorva::Test {

// Opens and starts the clock on first use; the row is 0 until moved.
ManualAudioOutput& handMovedMusic(const char* tune);

// Moves the music to a row (131 beats a minute, 8 rows a beat).
void moveMusicToRow(ManualAudioOutput& music, double row);

} // namespace Sorva::Test
