// How a failure that stops the program before its show reaches the viewer.
// One implementation per platform, chosen at build time.
#pragma once

namespace Sorva {

// Writes the message as one line on standard error (and so into the log,
// where the output goes to one) and, where programs tell their viewer in a
// box, shows it there too with where the log is. Called once every window of
// the program is gone; returns when the viewer has closed the box.
void reportFatal(const char* message);

} // namespace Sorva
