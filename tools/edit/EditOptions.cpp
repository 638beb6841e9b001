// Parsing halvo-edit's options.
#include "tools/edit/EditOptions.h"

#include <charconv>

namespace Sorva {

namespace {

using Error = EditOptions::Error;

std::string quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

int whole(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return -1;
    return value;
}

void parseEditor(std::string_view text, EditOptions& options) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        throw Error("bad --editor " + quoted(text) + ": expected HOST:PORT, e.g. localhost:1338");
    std::string_view host = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (whole(port, 1, 65535) < 0)
        throw Error("bad --editor " + quoted(text) + ": the port must be from 1 to 65535");
    options.editorHost = host;
    options.editorPort = port;
}

void parseSize(std::string_view text, EditOptions& options) {
    const std::size_t x = text.find('x');
    const int w = x == std::string_view::npos ? -1 : whole(text.substr(0, x), 16, 16384);
    const int h = x == std::string_view::npos ? -1 : whole(text.substr(x + 1), 16, 16384);
    if (w < 0 || h < 0)
        throw Error("bad --size " + quoted(text) +
                    ": expected WIDTHxHEIGHT, each from 16 to 16384, e.g. 1280x720");
    options.width = w;
    options.height = h;
}

} // namespace

EditOptions EditOptions::parse(std::span<const std::string_view> args) {
    EditOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        const auto value = [&]() {
            if (i + 1 >= args.size())
                throw Error(std::string(name) + " needs a value");
            return args[++i];
        };
        if (name == "--help" || name == "-h")
            options.help = true;
        else if (name == "--editor")
            parseEditor(value(), options);
        else if (name == "--tracks")
            options.tracks = value();
        else if (name == "--size")
            parseSize(value(), options);
        else if (name == "--paused")
            options.paused = true;
        else
            throw Error("unknown option " + quoted(name) + " (see --help)");
    }
    return options;
}

const char* EditOptions::usage() {
    return R"(Usage: halvo-edit [OPTIONS]
Plays the show in a window for making it: tracks reload when their text
sources are saved, shaders when theirs are, and a sync editor can drive it.

  --editor HOST:PORT  the sync editor to connect to (default localhost:1338);
                      without one listening, it tries again every 3 s
  --tracks DIR        the track sources to watch and save (default: tracks/
                      of the source tree this program was built from)
  --size WxH          window size (default 1280x720)
  --paused            start paused at row 0
  --help              this text

Keys: P pause/play; Left/Right a beat (Shift: a bar); Page Up/Down 8 bars;
Home row 0; L loop the current 8 bars; H heads-up display; E (held) reload
every shader; Escape quits.
)";
}

} // namespace Sorva
