// Parsing and checking the capture tool's options.
#include "tools/capture/CaptureOptions.h"

#include "fx/ShowScenes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace Sorva {

namespace {

constexpr int minSide = 16;
constexpr int maxSide = 4096;
// The show's framebuffers grow with the picture: some 420 bytes a pixel in
// all (its eleven float buffers are 176 of them), on some 300 MB of its own.
// At 4096 x 2160 a capture peaks at 4.1 GB, measured with --report; 4096 x
// 4096 took 7.5 GB, so a larger picture is refused rather than let through.
constexpr long long maxPixels = 4096 * 2160;
constexpr int maxFps = 240;
constexpr int maxSheetFrames = 1000;

using Error = CaptureOptions::Error;

std::string quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

bool endsWith(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = s[s.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// The whole text as a decimal integer, or nothing.
std::optional<long long> integer(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> number(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void parseSize(std::string_view text, CaptureOptions& options) {
    const std::size_t x = text.find('x');
    const auto w = x == std::string_view::npos ? std::nullopt : integer(text.substr(0, x));
    const auto h = x == std::string_view::npos ? std::nullopt : integer(text.substr(x + 1));
    if (!w || !h)
        throw Error("bad --size " + quoted(text) + ": expected WIDTHxHEIGHT, e.g. 1280x720");
    if (*w < minSide || *h < minSide || *w > maxSide || *h > maxSide)
        throw Error("bad --size " + quoted(text) + ": each side must be from " +
                    std::to_string(minSide) + " to " + std::to_string(maxSide) + " pixels");
    if (*w * *h > maxPixels)
        throw Error("bad --size " + quoted(text) + ": " + std::to_string(*w * *h) +
                    " pixels, more than the " + std::to_string(maxPixels) +
                    " (4096x2160) a capture may hold in memory");
    options.width = static_cast<int>(*w);
    options.height = static_cast<int>(*h);
}

double parseSeconds(std::string_view option, std::string_view text) {
    const auto value = number(text);
    if (!value || *value < 0.0)
        throw Error("bad " + std::string(option) + " " + quoted(text) +
                    ": expected seconds, a number of 0 or more");
    return *value;
}

int parseCount(std::string_view option, std::string_view text, int low, int high) {
    const auto value = integer(text);
    if (!value || *value < low || *value > high)
        throw Error("bad " + std::string(option) + " " + quoted(text) +
                    ": expected a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high));
    return static_cast<int>(*value);
}

void setOutput(CaptureOptions& options, CaptureOptions::Output output, std::string_view path) {
    if (options.output != CaptureOptions::Output::None)
        throw Error("give only one of --out and --sheet");
    if (path.empty())
        throw Error("empty output path");
    options.output = output;
    options.path = std::string(path);
}

} // namespace

CaptureOptions CaptureOptions::parse(std::span<const std::string_view> args) {
    CaptureOptions options;
    bool framesGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> attached;
        if (name.starts_with("--")) {
            if (const std::size_t eq = name.find('='); eq != std::string_view::npos) {
                attached = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
        }
        auto value = [&]() -> std::string_view {
            if (attached)
                return *attached;
            if (i + 1 >= args.size())
                throw Error(std::string(name) + " needs a value");
            return args[++i];
        };
        auto flag = [&]() {
            if (attached)
                throw Error(std::string(name) + " takes no value");
            return true;
        };

        if (name == "--help" || name == "-h")
            options.help = flag();
        else if (name == "--size")
            parseSize(value(), options);
        else if (name == "--fps")
            options.fps = parseCount(name, value(), 1, maxFps);
        else if (name == "--from")
            options.from = parseSeconds(name, value());
        else if (name == "--to")
            options.to = parseSeconds(name, value());
        else if (name == "--out") {
            const std::string_view path = value();
            if (endsWith(path, ".png"))
                throw Error("--out " + quoted(path) +
                            " takes a directory for PNG frames or a FILE.mp4; for one picture of "
                            "the show use --sheet FILE.png --frames N");
            setOutput(options, endsWith(path, ".mp4") ? Output::Video : Output::PngFrames, path);
        } else if (name == "--sheet") {
            const std::string_view path = value();
            if (!endsWith(path, ".png"))
                throw Error("--sheet " + quoted(path) +
                            ": the contact sheet is a PNG file, FILE.png");
            setOutput(options, Output::Sheet, path);
        } else if (name == "--frames") {
            options.sheetFrames = parseCount(name, value(), 1, maxSheetFrames);
            framesGiven = true;
        } else if (name == "--bench")
            options.bench = flag();
        else if (name == "--bench-frames")
            options.bench = options.benchFrames = flag();
        else if (name == "--dry-run")
            options.dryRun = flag();
        else if (name == "--report") {
            options.report = std::string(value());
            if (options.report.empty())
                throw Error("empty --report path");
        } else if (name == "--events") {
            options.events = std::string(value());
            if (options.events.empty())
                throw Error("empty --events path");
        } else if (name == "--no-preroll")
            options.preroll = !flag();
        else if (name == "--verbose")
            options.verbose = flag();
        else if (name == "--keep-going")
            options.keepGoing = flag();
        else if (name == "--effect") {
            options.effect = std::string(value());
            const std::vector<std::string>& names = effectNames();
            if (std::find(names.begin(), names.end(), options.effect) == names.end()) {
                std::string known;
                for (const std::string& n : names)
                    known += (known.empty() ? "" : ", ") + n;
                throw Error("--effect " + quoted(options.effect) + ": no such effect (" + known +
                            ")");
            }
        } else
            throw Error("unknown option " + quoted(args[i]) + " (see --help)");
    }
    if (options.help)
        return options;

    if (options.to && *options.to <= options.from)
        throw Error("--to must be later than --from");
    if (options.output == Output::Sheet && !framesGiven)
        throw Error("--sheet needs --frames N, the number of pictures on the sheet");
    if (framesGiven && options.output != Output::Sheet)
        throw Error("--frames belongs to --sheet");
    if (options.output == Output::Video && (options.width % 2 || options.height % 2))
        throw Error("--size " + std::to_string(options.width) + "x" +
                    std::to_string(options.height) +
                    ": H.264 video in yuv420p needs an even width and height");
    if (options.dryRun && (options.output != Output::None || !options.report.empty()))
        throw Error("--dry-run writes nothing; leave out --out, --sheet and --report");
    if (options.bench && !options.report.empty())
        throw Error("--bench and --report both print on standard output; run them apart");
    if (!options.events.empty() && options.report.empty())
        throw Error("--events belongs to --report");
    if (!options.dryRun && !options.bench && options.output == Output::None &&
        options.report.empty())
        throw Error(
            "nothing to do: give --out, --sheet, --report, --bench or --dry-run (see --help)");
    return options;
}

const char* CaptureOptions::usage() {
    return R"(usage: halvo-capture [OPTIONS] (--out DIR | --out FILE.mp4 | --sheet FILE.png --frames N |
                                --report FILE.json | --bench | --dry-run)

Renders the show offline on a fixed time step: frame n is shown at n / fps
seconds of music, and every frame advances the show's frame clock by exactly
1 / fps. The tune is not played. Needs no display: without DISPLAY it starts
a private X server (Xvfb) and renders in a hidden window.

  --size WxH         picture size (default 1280x720; sides from 16 to 4096,
                     at most 4096x2160 pixels in all)
  --fps N            frames per second of show time (default 60)
  --from SECONDS     first frame's time (default 0)
  --to SECONDS       end of the range, not included (default: the show's end,
                     where track "e" reaches 1.0, else 3 s after the tune's
                     end); --from and --to past the show's end are refused
  --out DIR          write numbered PNG frames DIR/frame-NNNNNN.png, NNNNNN being
                     the frame number counted from the show's start
  --out FILE.mp4     encode H.264 (yuv420p, even size needed) with ffmpeg and
                     mux the tune's matching stretch
  --sheet FILE.png   write one contact sheet of N frames spread evenly over the
  --frames N         range, in a grid, each labelled with its time and row
  --report FILE.json measure every frame: a table on stdout, and the figures
                     with every frame's measures as JSON in FILE.json (per
                     section brightness and motion, hits answered against
                     chance, scene time, dark stretches, stray glitch blocks
                     and bar colour, the particle ball's sprites against its
                     cloud); goes with --out or --sheet
  --events FILE      the tune's events for --report, as halvo-tune --events
                     writes them (default: tune-events.txt beside this tool)
  --bench            print timings as JSON on stdout: start-up split, and each
                     scene's render and the post chain per frame (median, max)
  --bench-frames     the same with every frame's times listed
  --dry-run          render the range and write nothing (to time rendering)
  --effect NAME      show one effect alone in place of the scenes' blend, the
                     post chain as usual: pball, pattern, feedback, tunnel,
                     pattern2 or hands (the particle ball's backdrop)
  --no-preroll       start rendering at --from; otherwise the frames before it
                     are rendered unwritten so that effect history is true
  --verbose          pass the show's own output (shader sources and logs) on
                     to stderr; by default it is dropped
  --keep-going       exit 0 even when a shader failed to compile or link; by
                     default the output is written and the exit code is 1
  --help             this text
)";
}

} // namespace Sorva
