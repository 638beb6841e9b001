// halvo-capture: renders the show offline on a fixed time step to PNG
// frames, an MP4 video, a contact sheet, or timings (see --help).
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

namespace {

extern "C" void stop(int) {
    Sorva::Capture::interrupted = true;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    Sorva::CaptureOptions options;
    try {
        options = Sorva::CaptureOptions::parse(args);
    } catch (const Sorva::CaptureOptions::Error& e) {
        std::fprintf(stderr, "halvo-capture: %s\n", e.what());
        return 2;
    }
    if (options.help) {
        std::fputs(Sorva::CaptureOptions::usage(), stdout);
        return 0;
    }

    // A dead ffmpeg shows as a failed write, not as a killed tool.
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = stop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    try {
        Sorva::Capture(options).run();
    } catch (const Sorva::CaptureOptions::Error& e) {
        // A range the show cannot give, found once the show is known.
        std::fprintf(stderr, "halvo-capture: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halvo-capture: %s\n", e.what());
        return Sorva::Capture::interrupted ? 130 : 1;
    }
    return 0;
}
