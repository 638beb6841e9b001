// The capture tool's --report: measures every frame of the range on the
// writer thread, matches the particle ball's sprites against its cloud, and
// at the end works out the figures, writes them as JSON and keeps a table
// for standard output.
#pragma once

#include "tools/capture/BallView.h"
#include "tools/capture/FrameMeter.h"
#include "tools/capture/FrameSink.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/ReportSummary.h"
#include "tools/capture/ReportWriter.h"
#include "tools/capture/SilhouetteMatch.h"
#include "tools/capture/TuneLoudness.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Sorva {

class ShowReport : public FrameSink {
public:
    // The blue feedback's titles, as its compositing pass lays them: centred,
    // this share of the picture's width, at this aspect. One is shown in
    // full at these weights, and once the wipe's threshold reaches its top
    // (where the wipe's soft edge leaves the top 2 % of its rows fading).
    static constexpr std::array<const char*, 3> titleFiles = {"title1.png", "title2.png",
                                                              "title3.png"};
    static constexpr double titleWidth = 0.8;
    static constexpr double titleAspect = 4.0;
    static constexpr double fullWeight = 0.99;
    static constexpr double fullWipe = 1.0;

    // What the render thread knows of a frame: the scenes' weights and, when
    // the particle ball rendered it, its emitters.
    struct Scene {
        std::array<double, 5> weights{};
        int title = -1; // the blue feedback's title shown in full, if one is
        bool ballShown = false;
        std::array<BallView::Emitter, 3> emitters{};
    };

    // Frames [first, end) at run.fps, against the tune's loudness if known;
    // throws std::runtime_error naming the file when the JSON cannot be
    // written there.
    ShowReport(const std::filesystem::path& path, const ReportWriter::Run& run,
               std::vector<Choreo::TuneEvent> events, std::int64_t first, std::int64_t end,
               std::optional<TuneLoudness> loudness = std::nullopt);

    // From the render thread, before the frame is read back: the frame's
    // scene. Each frame has its own slot, made at construction, so the
    // writer thread reads it without a lock once the frame reaches it.
    void setScene(std::int64_t frame, const Scene& scene);

    void write(const Frame& frame) override;
    // Works out the figures and writes the JSON file.
    void finish() override;
    void abandon() override { file_.discard(); }

    // The table for standard output, once finished.
    const std::string& table() const { return table_; }
    const std::filesystem::path& path() const { return file_.finalPath(); }

private:
    // The opacity of an image of data/img, read on first use; null when it
    // cannot be read, after a line on stderr naming it as `what`.
    const SpriteAlpha* alpha(const std::string& file, const char* what);

    PendingFile file_;
    ReportWriter::Run run_;
    std::vector<Choreo::TuneEvent> events_;
    std::int64_t first_;
    std::optional<TuneLoudness> loudness_;
    FrameMeter meter_;
    std::vector<Scene> scenes_;
    std::vector<ReportFrame> frames_;
    std::map<std::string, std::optional<SpriteAlpha>> images_;
    std::string table_;
};

} // namespace Sorva
