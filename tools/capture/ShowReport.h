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
    // What the render thread knows of a frame: the scenes' weights and, when
    // the particle ball rendered it, its emitters.
    struct Scene {
        std::array<double, 5> weights{};
        bool ballShown = false;
        std::array<BallView::Emitter, 3> emitters{};
    };

    // Frames [first, end) at run.fps; throws std::runtime_error naming the
    // file when the JSON cannot be written there.
    ShowReport(const std::filesystem::path& path, const ReportWriter::Run& run,
               std::vector<Choreo::TuneEvent> events, std::int64_t first, std::int64_t end);

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
    // The sprite's opacity, read on first use; null when it cannot be read.
    const SpriteAlpha* sprite(std::uint32_t image);

    PendingFile file_;
    ReportWriter::Run run_;
    std::vector<Choreo::TuneEvent> events_;
    std::int64_t first_;
    FrameMeter meter_;
    std::vector<Scene> scenes_;
    std::vector<ReportFrame> frames_;
    std::map<std::uint32_t, std::optional<SpriteAlpha>> sprites_;
    std::string table_;
};

} // namespace Sorva
