// One run of the capture tool: brings up a hidden window and the show on a
// fixed time step, renders the chosen range through the show's own frame
// routine, and hands the frames to the chosen output.
#pragma once

#include "tools/capture/CaptureOptions.h"

#include <atomic>

namespace Sorva {

class Capture {
public:
    // Set from a signal handler to stop the run between two frames.
    static std::atomic<bool> interrupted;

    explicit Capture(const CaptureOptions& options) : options_(options) {}

    // Runs the capture; throws std::exception with a message for the user
    // when it cannot, after removing any partial output.
    void run();

private:
    CaptureOptions options_;
};

} // namespace Sorva
