// The show report's figures, worked out from every frame's measures and the
// tune's events: each section's brightness and motion, the share of hits the
// picture answers against the same test away from hits, each scene's time
// on screen, dark stretches, stray glitch blocks and coloured bars, and how
// well each sprite of the particle ball reads at its clearest frame.
#pragma once

#include "tools/capture/FrameMeter.h"
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
};

struct ReportSummary {
    // The hits scored, by their kind in the tune's events.
    static constexpr std::array<const char*, 5> hitKinds = {"kick", "clap", "snare", "tom",
                                                            "crash"};
    static constexpr double darkLuma = 30.0;   // of 255
    static constexpr double darkSeconds = 4.0; // a stretch this long is listed
    static constexpr double nearBlackLuma = 16.0;
    static constexpr int minGlitchBlocks = 2;     // a frame shows glitch blocks
    static constexpr double colouredBar = 12.0;   // any bar channel above, of 255,
                                                  // away from hits and risers
    static constexpr double answerSeconds = 0.5;  // a hit this recent is answered
    static constexpr double openingSeconds = 2.0; // a section's opening

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
    };
    struct Hits {
        std::string kind;
        int count = 0;
        int answered = 0;
        int quietCount = 0; // the null test: frames away from every hit
        int quietAnswered = 0;
    };
    struct Scene {
        int slot = 0;
        double renderedSeconds = 0.0; // its weight lets it render
        double leadingSeconds = 0.0;  // its weight is the largest
        double share = 0.0;           // leading, of the range
    };
    // Consecutive frames of [first, end) that share a finding.
    struct Run {
        std::int64_t first = 0; // frame index in the range
        std::int64_t end = 0;
        double start = 0.0; // seconds
        double row = 0.0;
        double seconds = 0.0;
    };
    struct Sprite {
        std::uint32_t image = 0;
        int emitter = 0;
        double match = 0.0; // at its clearest frame
        double seconds = 0.0;
        double row = 0.0;
        int frames = 0; // frames it was matched in
    };

    // frames: the range in order, at fps frames a second.
    static ReportSummary of(const std::vector<ReportFrame>& frames,
                            const std::vector<Choreo::TuneEvent>& events, int fps);

    double seconds = 0.0;
    std::vector<Section> sections;
    std::vector<Hits> hits;
    std::vector<Scene> scenes;
    std::vector<Run> darkStretches;
    std::vector<Run> blocksOnBlack; // near-black frames with glitch blocks
    std::vector<Run> strayBlocks;   // glitch blocks with no hit just before
    std::vector<Run> strayBars;     // coloured bars with no hit just before
    std::vector<Sprite> sprites;    // by image index
};

} // namespace Sorva
