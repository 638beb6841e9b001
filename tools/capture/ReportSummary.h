// The show report's figures, worked out from every frame's measures and the
// tune's events: each section's brightness and motion, the share of hits the
// picture answers against the same test away from hits and at any moment of
// the same sections, each scene's time on screen and visits, dark
// stretches, glitch blocks and coloured bars away from crashes, risers and
// section lines, and how well each sprite of the particle ball reads at its
// clearest frame.
#pragma once

#include "tools/capture/FrameMeter.h"
#include "tools/capture/TuneLoudness.h"
#include "tools/choreo/TuneEvents.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sorva {

// What the report keeps of one frame of the range.
struct ReportFrame {
    double seconds = 0.0;
    double row = 0.0;
    FrameMeasures measures;
    std::array<double, 5> weights{}; // the scenes' fusing weights, slot by slot
    struct Sprite {
        std::uint32_t image = 0;
        int emitter = 0;
        double match = 0.0;
    };
    std::vector<Sprite> sprites; // what the particle ball shows, matched
    struct Title {
        int index = 0; // of the blue feedback's titles
        double match = 0.0;
    };
    std::vector<Title> titles; // a title shown in full, matched
};

struct ReportSummary {
    // The hits scored, by their kind in the tune's events.
    static constexpr std::array<const char*, 5> hitKinds = {"kick", "clap", "snare", "tom",
                                                            "crash"};
    static constexpr double darkLuma = 30.0;   // of 255
    static constexpr double darkSeconds = 4.0; // a stretch this long is listed
    static constexpr double nearBlackLuma = 16.0;
    static constexpr int minGlitchBlocks = 2;     // a frame shows glitch blocks
    static constexpr double colouredBar = 12.0;   // any bar channel above, of 255
    static constexpr double answerSeconds = 0.5;  // a hit this recent is answered
    static constexpr double openingSeconds = 2.0; // a section's opening
    // A scene's visit: it leads for this long, across shorter lapses.
    static constexpr double visitSeconds = 1.0;
    static constexpr double rowsPerBar = 32.0;
    // A bar falls when it is this much quieter than the bar before, LU.
    static constexpr double barFall = 1.0;
    // The sound and the picture fade together while both, averaged over
    // half a second, are this far below the half second before: LU, and
    // luma of 255.
    static constexpr double fadeSeconds = 0.5;
    static constexpr double fadeLoudness = 1.0;
    static constexpr double fadeLuma = 1.0;

    // Consecutive frames [first, end) of the range that share a finding.
    struct Run {
        std::int64_t first = 0; // frame index in the range
        std::int64_t end = 0;
        double start = 0.0; // seconds
        double row = 0.0;
        double seconds = 0.0;
    };
    struct Section {
        std::string name;
        double start = 0.0; // seconds
        double row = 0.0;
        double seconds = 0.0;
        double luma = 0.0;
        double centreLuma = 0.0;
        double centreDetail = 0.0;
        double motion = 0.0;
        // The centre over the section's first two seconds.
        double openingCentreLuma = 0.0;
        double openingCentreDetail = 0.0;
        // Against the tune's loudness only: LUFS over its frames.
        double loudness = TuneLoudness::floor;
        // The centre on its first frame.
        double firstCentreLuma = 0.0;
        double firstCentreDetail = 0.0;
    };
    struct Hits {
        std::string kind;
        int count = 0;
        int answered = 0;
        int quietCount = 0; // the null test: frames away from every hit
        int quietAnswered = 0;
        // The null test at any moment: the share of the frames of each hit's
        // section that pass, averaged over the hits.
        double chance = 0.0;
        // Snares and toms within the answer's window of a kick or clap: left
        // out of count and answered, whose answer would be the other's.
        int coinciding = 0;
    };
    struct Scene {
        int slot = 0;
        double renderedSeconds = 0.0; // its weight lets it render
        double leadingSeconds = 0.0;  // its weight is the largest
        double share = 0.0;           // leading, of the range
        std::vector<Run> visits;      // where it leads, in order
    };
    struct Bar {
        int bar = 0;        // from row 0
        double start = 0.0; // seconds, as the frames count them
        double luma = 0.0;
        double loudness = 0.0; // LUFS, TuneLoudness::floor for silence
    };
    struct Fade {
        // Bars, up to the last with sound, each quieter than the one before
        // by barFall, and how far they fall in all, LU.
        int fallingBars = 0;
        double fall = 0.0;
        int lastSoundingBar = -1; // none
        // The longest stretch over which sound and picture fade together,
        // of those that end in or after the falling bars.
        std::optional<Run> together;
        // Seconds of the range left once the sound has gone.
        double silentSeconds = 0.0;
    };
    struct Title {
        int index = 0;
        int frames = 0; // shown in full
        double mean = 0.0;
        double lowest = 0.0; // the match at its least legible frame
        double lowestSeconds = 0.0;
    };
    struct Sprite {
        std::uint32_t image = 0;
        int emitter = 0;
        double match = 0.0; // at its clearest frame
        double seconds = 0.0;
        double row = 0.0;
        int frames = 0; // frames it was matched in
    };

    // frames: the range in order, at fps frames a second; loudness: the
    // tune's, without which there are no bars and no fade.
    static ReportSummary of(const std::vector<ReportFrame>& frames,
                            const std::vector<Choreo::TuneEvent>& events, int fps,
                            const TuneLoudness* loudness = nullptr);

    double seconds = 0.0;
    std::vector<Section> sections;
    std::vector<Hits> hits;
    std::vector<Scene> scenes;
    std::vector<Run> darkStretches;
    std::vector<Run> blocksOnBlack; // near-black frames with glitch blocks
    // Away from crashes, risers and section lines: from two frames before
    // a crash or line to half a second after, and outside a riser.
    std::vector<Run> strayBlocks; // glitch blocks
    std::vector<Run> strayBars;   // coloured bars
    // Of the range: frames with glitch blocks, those of them stray, and
    // frames with coloured bars.
    double blockShare = 0.0;
    double strayBlockShare = 0.0;
    double barShare = 0.0;
    std::vector<Sprite> sprites; // by image index
    std::vector<Title> titles;   // those shown in full, by index
    // The bars at least half in the range, and the correlation of their
    // luma with their loudness over those with sound (none for fewer than
    // three, or flat).
    std::vector<Bar> bars;
    std::optional<double> barCorrelation;
    std::optional<Fade> fade;
};

} // namespace Sorva
