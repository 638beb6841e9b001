// The capture tool's --bench: times each scene's render, the combiner and
// the post chain of every frame with glFinish and a monotonic clock (GL
// timer queries read nothing useful on the software renderer), and prints
// them with the start-up split as JSON.
#pragma once

#include "scene/FrameObserver.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace Sorva {

class BenchReport : public FrameObserver {
public:
    static constexpr std::size_t sceneSlots = 5;

    struct Summary {
        std::size_t count = 0;
        double median = 0.0; // milliseconds
        double max = 0.0;
    };

    // Start-up, in milliseconds.
    struct Startup {
        double window = 0.0;
        double tuneDecoding = 0.0;
        double imageDecoding = 0.0;
        double shaderCompileLink = 0.0;
        double framebufferCreation = 0.0;
        double total = 0.0; // the window, the tune and building the show
    };

    // The run being measured, for the report's header.
    struct Run {
        int width = 0;
        int height = 0;
        int fps = 0;
        std::int64_t firstFrame = 0;
        std::int64_t endFrame = 0;
        bool preroll = true;
        std::int64_t prerollFrames = 0;
    };

    explicit BenchReport(bool listFrames) : listFrames_(listFrames) {}

    void setRun(const Run& run);
    void setStartup(const Startup& startup) { startup_ = startup; }

    // Around one whole frame; only frames between these two are recorded.
    void beginFrame(std::int64_t number, double row);
    void endFrame();
    // The first frame rendered after start-up, preroll or not: it carries
    // the renderer's first use of every shader that draws in it.
    void setFirstFrame(double milliseconds) { firstFrame_ = milliseconds; }

    void begin(Stage stage, std::size_t slot) override;
    void end(Stage stage, std::size_t slot) override;

    std::string json() const;

    // Median and maximum of the samples; count 0 for none.
    static Summary summarize(std::vector<double> samples);

private:
    using Clock = std::chrono::steady_clock;

    struct FrameTimes {
        std::int64_t number;
        double row;
        std::array<std::optional<double>, sceneSlots> scenes;
        double combiner = 0.0;
        std::optional<double> solo; // the effect shown alone, if one is
        double postChain = 0.0;
        double total = 0.0;
    };

    // Waits for the GL work issued so far, then reads the clock.
    static Clock::time_point settledNow();

    bool listFrames_;
    Run run_;
    Startup startup_;
    std::optional<double> firstFrame_;
    std::vector<FrameTimes> frames_;
    bool inFrame_ = false;
    Clock::time_point frameStart_;
    Clock::time_point stageStart_;
};

} // namespace Sorva
