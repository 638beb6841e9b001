// The capture tool's command line: what to render, at which size and rate,
// and where the pictures go.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Sorva {

struct CaptureOptions {
    enum class Output {
        None,      // --dry-run or --bench alone: render, write nothing
        PngFrames, // --out DIR
        Video,     // --out FILE.mp4
        Sheet,     // --sheet FILE.png --frames N
    };

    // A command line the tool cannot run; what() says why, naming the option.
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    int width = 1280;
    int height = 720;
    int fps = 60;
    double from = 0.0;        // seconds
    std::optional<double> to; // seconds; default: the show's end
    Output output = Output::None;
    std::string path;    // the directory, video or sheet
    int sheetFrames = 0; // --frames
    bool bench = false;
    bool benchFrames = false; // --bench-frames: every frame's times too
    bool dryRun = false;
    std::string report;     // --report: the show report's JSON file; empty for none
    std::string events;     // --events: the tune's events; empty for the build's
    bool preroll = true;    // render (unwritten) the frames before --from
    bool verbose = false;   // pass the show's own output on to stderr
    bool keepGoing = false; // exit 0 even when a shader failed to build
    std::string effect;     // --effect: one effect alone; empty for the show
    bool help = false;

    // Parses the arguments after the program name; throws Error.
    static CaptureOptions parse(std::span<const std::string_view> args);

    static const char* usage();
};

} // namespace Sorva
