// The demo from the viewer's choice of settings to the last frame.
#pragma once

namespace Sorva {

// Runs the whole show; returns the process exit code. Throws Rexception when
// start-up fails, after tearing down what it had built.
int runDemo();

} // namespace Sorva
