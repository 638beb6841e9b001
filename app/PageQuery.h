// The options a web page hands the show in its address: ?particles=N for a
// weak machine, ?from=SECONDS to start into the tune, the switches ?overlay,
// ?lead and ?verbose, and ?row=N (with fps, size, effect) for one still
// frame rendered on a fixed step, for tests and benchmarks. An address is
// anybody's to type: every value is checked, and a bad one is refused with a
// message naming it, shown escaped and cut short. Parameters the show does
// not know are left to the page.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Sorva {

struct StillRequest {
    double row = 0.0;  // the frame shown is the first at or after this row
    double from = 0.0; // seconds: rendering starts at the first frame at or after
                       // this time; 0 renders every frame from the start, as
                       // the capture tool's preroll does (?from=)
    int fps = 30;      // the fixed step is 1 / fps
    int width = 640;
    int height = 360;
    std::string effect; // one effect alone, as halvo-capture --effect; empty: the show
};

struct PageQuery {
    int particles = 0;    // 0: the show's full count
    double from = 0.0;    // seconds into the tune the show starts at
    bool overlay = false; // ?overlay=1: the strip of sync blocks
    bool leadOff = false; // ?lead=off: the row heard, not the row due on screen
    bool verbose = false; // ?verbose: each shader's source and build on the console
    std::optional<StillRequest> still;

    // Parses "?a=b&c=d" (the leading '?' optional). Throws BadValue.
    static PageQuery parse(std::string_view query);
    // Throws BadValue when ?from= lies at or past the end of a tune this long.
    void checkFromWithin(double tuneSeconds) const;

    struct BadValue : std::invalid_argument {
        using std::invalid_argument::invalid_argument;
    };

private:
    std::string fromGiven_; // ?from= as typed, for its message
};

} // namespace Sorva
