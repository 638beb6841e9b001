// The capture tool's command line: what each accepted line means, and the
// message each refused line gets.
#include "tools/capture/CaptureOptions.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace Sorva {
namespace {

using Output = CaptureOptions::Output;

std::vector<std::string_view> split(const std::string& line, std::vector<std::string>& storage) {
    std::istringstream in(line);
    storage.clear();
    for (std::string word; in >> word;)
        storage.push_back(word);
    return {storage.begin(), storage.end()};
}

CaptureOptions parse(const std::string& line) {
    std::vector<std::string> storage;
    const std::vector<std::string_view> args = split(line, storage);
    return CaptureOptions::parse(args);
}

std::string error(const std::string& line) {
    try {
        parse(line);
    } catch (const CaptureOptions::Error& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(CaptureOptions, AcceptedLines) {
    struct Case {
        const char* line;
        int width, height, fps;
        double from;
        double to; // -1: not given
        Output output;
        const char* path;
        int sheetFrames;
        bool bench, preroll;
    };
    const Case cases[] = {
        {"--bench", 1280, 720, 60, 0.0, -1, Output::None, "", 0, true, true},
        {"--out frames", 1280, 720, 60, 0.0, -1, Output::PngFrames, "frames", 0, false, true},
        {"--out show.mp4 --size 640x360 --fps 30", 640, 360, 30, 0.0, -1, Output::Video, "show.mp4",
         0, false, true},
        {"--out SHOW.MP4", 1280, 720, 60, 0.0, -1, Output::Video, "SHOW.MP4", 0, false, true},
        {"--sheet s.png --frames 12 --from 1.5 --to 90", 1280, 720, 60, 1.5, 90, Output::Sheet,
         "s.png", 12, false, true},
        {"--size=320x180 --fps=24 --from=2 --to=3 --out=d --no-preroll", 320, 180, 24, 2.0, 3.0,
         Output::PngFrames, "d", 0, false, false},
        {"--dry-run --bench-frames --size 16x16", 16, 16, 60, 0.0, -1, Output::None, "", 0, true,
         true},
        // Past any show's end, refused once the show is known, not here.
        {"--bench --from 1e300", 1280, 720, 60, 1e300, -1, Output::None, "", 0, true, true},
        {"--bench --to 1e300", 1280, 720, 60, 0.0, 1e300, Output::None, "", 0, true, true},
        {"--bench --out v.mp4 --size 4096x2160 --fps 240", 4096, 2160, 240, 0.0, -1, Output::Video,
         "v.mp4", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CaptureOptions o = parse(c.line);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
        EXPECT_EQ(o.fps, c.fps);
        EXPECT_EQ(o.from, c.from);
        EXPECT_EQ(o.to.has_value(), c.to >= 0);
        EXPECT_EQ(o.to.value_or(-1), c.to);
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.path, c.path);
        EXPECT_EQ(o.sheetFrames, c.sheetFrames);
        EXPECT_EQ(o.bench, c.bench);
        EXPECT_EQ(o.preroll, c.preroll);
    }
    EXPECT_TRUE(parse("--help").help);
    EXPECT_TRUE(parse("--bench --keep-going").keepGoing);
    EXPECT_FALSE(parse("--bench").keepGoing);
    EXPECT_TRUE(parse("--bench-frames").benchFrames);
    EXPECT_TRUE(parse("--dry-run --verbose").verbose);
}

TEST(CaptureOptions, RefusedLinesSayWhy) {
    struct Case {
        const char* line;
        const char* message; // a part of the message
    };
    const Case cases[] = {
        {"--bench --frobnicate", "unknown option '--frobnicate'"},
        {"--bench extra", "unknown option 'extra'"},
        {"", "nothing to do"},
        {"--size 1280x --bench", "bad --size '1280x'"},
        {"--size x720 --bench", "bad --size 'x720'"},
        {"--size 1280*720 --bench", "bad --size '1280*720'"},
        {"--size -640x360 --bench", "bad --size"},
        {"--size 8x8 --bench", "from 16 to 4096"},
        {"--size 5000x100 --bench", "from 16 to 4096"},
        // Memory grows with the pixels: 4096 x 2160 peaks at 4.1 GB, 4096 x 4096 at 7.5.
        {"--size 4096x4096 --bench", "16777216 pixels, more than the 8847360"},
        {"--size 2200x4096 --bench", "9011200 pixels, more than the 8847360"},
        {"--size 641x360 --out a.mp4", "even width and height"},
        {"--size 640x361 --out a.mp4", "even width and height"},
        {"--fps 0 --bench", "bad --fps '0'"},
        {"--fps 29.97 --bench", "bad --fps '29.97'"},
        {"--fps 241 --bench", "bad --fps"},
        {"--from -1 --bench", "bad --from '-1'"},
        {"--from ten --bench", "bad --from 'ten'"},
        {"--to nan --bench", "bad --to 'nan'"},
        {"--from inf --bench", "bad --from 'inf'"},
        {"--to -inf --bench", "bad --to '-inf'"},
        {"--to 1e400 --bench", "bad --to '1e400'"},
        {"--from -0.5 --bench", "bad --from '-0.5'"},
        {"--bench --keep-going=no", "--keep-going takes no value"},
        {"--from 5 --to 5 --bench", "--to must be later than --from"},
        {"--from 5 --to 4 --bench", "--to must be later than --from"},
        {"--bench --size", "--size needs a value"},
        {"--bench --no-preroll=yes", "--no-preroll takes no value"},
        {"--out frame.png", "for one picture of the show use --sheet"},
        {"--sheet sheet.jpg --frames 4", "is a PNG file"},
        {"--sheet sheet.png", "needs --frames"},
        {"--out d --frames 4", "--frames belongs to --sheet"},
        {"--sheet s.png --frames 0", "bad --frames '0'"},
        {"--out d --sheet s.png --frames 4", "only one of --out and --sheet"},
        {"--dry-run --out d", "--dry-run writes nothing"},
        {"--dry-run --report r.json", "--dry-run writes nothing"},
        {"--out d --events e.txt", "--events belongs to --report"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_NE(error(c.line).find(c.message), std::string::npos) << error(c.line);
    }
}

TEST(CaptureOptions, HelpNeedsNothingElse) {
    EXPECT_TRUE(parse("--sheet s.png --help").help);
}

} // namespace
} // namespace Sorva
