// The show report as people and scripts read it: a table for the terminal,
// and JSON with the same figures plus every frame's measures.
#pragma once

#include "tools/capture/ReportSummary.h"

#include <optional>
#include <string>
#include <vector>

namespace Sorva {

class ReportWriter {
public:
    // The run the report describes, for its header.
    struct Run {
        int width = 0;
        int height = 0;
        int fps = 0;
        double from = 0.0; // seconds
        double to = 0.0;
        std::string events; // the events file read
        // The true peak of the video's sound, dBTP, when a video with sound
        // is written.
        std::optional<double> soundTruePeak;
    };
    // Runs listed in the table before "and N more".
    static constexpr std::size_t listed = 8;

    static std::string table(const Run& run, const ReportSummary& summary);
    static std::string json(const Run& run, const ReportSummary& summary,
                            const std::vector<ReportFrame>& frames);
};

} // namespace Sorva
