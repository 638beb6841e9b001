// Stage timing and the JSON report.
#include "tools/capture/BenchReport.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace Sorva {

namespace {

double milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string number(double value) {
    if (!std::isfinite(value))
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string summaryJson(const BenchReport::Summary& s) {
    if (s.count == 0)
        return "{\"frames\": 0, \"median\": null, \"max\": null}";
    return "{\"frames\": " + std::to_string(s.count) + ", \"median\": " + number(s.median) +
           ", \"max\": " + number(s.max) + "}";
}

} // namespace

BenchReport::Clock::time_point BenchReport::settledNow() {
    glFinish();
    return Clock::now();
}

void BenchReport::setRun(const Run& run) {
    run_ = run;
    frames_.reserve(static_cast<std::size_t>(run.endFrame - run.firstFrame));
}

void BenchReport::beginFrame(std::int64_t number, double row) {
    frames_.push_back(FrameTimes{number, row, {}, 0.0, std::nullopt, 0.0, 0.0});
    inFrame_ = true;
    frameStart_ = settledNow();
}

void BenchReport::endFrame() {
    frames_.back().total = milliseconds(settledNow() - frameStart_);
    inFrame_ = false;
}

void BenchReport::begin(Stage, std::size_t) {
    if (inFrame_)
        stageStart_ = settledNow();
}

void BenchReport::end(Stage stage, std::size_t slot) {
    if (!inFrame_)
        return;
    const double ms = milliseconds(settledNow() - stageStart_);
    FrameTimes& frame = frames_.back();
    switch (stage) {
    case Stage::Scene:
        if (slot < sceneSlots)
            frame.scenes[slot] = ms;
        break;
    case Stage::Combiner:
        frame.combiner = ms;
        break;
    case Stage::PostChain:
        frame.postChain = ms;
        break;
    case Stage::Solo:
        frame.solo = ms;
        break;
    case Stage::Step: // the capture never observes inside an effect
        break;
    }
}

BenchReport::Summary BenchReport::summarize(std::vector<double> samples) {
    Summary s;
    s.count = samples.size();
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    const std::size_t half = samples.size() / 2;
    s.median = samples.size() % 2 ? samples[half] : (samples[half - 1] + samples[half]) / 2.0;
    s.max = samples.back();
    return s;
}

std::string BenchReport::json() const {
    std::vector<double> totals, combiners, solos, posts;
    std::array<std::vector<double>, sceneSlots> scenes;
    for (const FrameTimes& f : frames_) {
        totals.push_back(f.total);
        combiners.push_back(f.combiner);
        if (f.solo)
            solos.push_back(*f.solo);
        posts.push_back(f.postChain);
        for (std::size_t i = 0; i < sceneSlots; ++i)
            if (f.scenes[i])
                scenes[i].push_back(*f.scenes[i]);
    }

    std::string out = "{\n";
    out +=
        "  \"size\": [" + std::to_string(run_.width) + ", " + std::to_string(run_.height) + "],\n";
    out += "  \"fps\": " + std::to_string(run_.fps) + ",\n";
    out +=
        "  \"range\": {\"firstFrame\": " + std::to_string(run_.firstFrame) +
        ", \"endFrame\": " + std::to_string(run_.endFrame) +
        ", \"frames\": " + std::to_string(run_.endFrame - run_.firstFrame) +
        ", \"fromSeconds\": " + number(static_cast<double>(run_.firstFrame) / run_.fps) +
        ", \"toSeconds\": " + number(static_cast<double>(run_.endFrame) / run_.fps) +
        ", \"prerollFrames\": " + std::to_string(run_.prerollFrames) +
        ", \"historyStartsEmpty\": " + (!run_.preroll && run_.firstFrame > 0 ? "true" : "false") +
        "},\n";
    out += "  \"startupMs\": {\"window\": " + number(startup_.window) +
           ", \"tuneDecoding\": " + number(startup_.tuneDecoding) +
           ", \"imageDecoding\": " + number(startup_.imageDecoding) +
           ", \"shaderCompileLink\": " + number(startup_.shaderCompileLink) +
           ", \"framebufferCreation\": " + number(startup_.framebufferCreation) +
           ", \"total\": " + number(startup_.total) + "},\n";
    out += "  \"firstFrameMs\": " + (firstFrame_ ? number(*firstFrame_) : "null") + ",\n";
    out += "  \"frameMs\": " + summaryJson(summarize(totals)) + ",\n";
    out += "  \"sceneRenderMs\": [\n";
    for (std::size_t i = 0; i < sceneSlots; ++i) {
        std::string s = summaryJson(summarize(scenes[i]));
        s.insert(1, "\"slot\": " + std::to_string(i) + ", ");
        out += "    " + s + (i + 1 < sceneSlots ? ",\n" : "\n");
    }
    out += "  ],\n";
    out += "  \"combinerMs\": " + summaryJson(summarize(combiners)) + ",\n";
    if (!solos.empty())
        out += "  \"soloRenderMs\": " + summaryJson(summarize(solos)) + ",\n";
    out += "  \"postChainMs\": " + summaryJson(summarize(posts));
    if (listFrames_) {
        out += ",\n  \"perFrame\": {\"columns\": [\"frame\", \"row\", \"scene0\", \"scene1\", "
               "\"scene2\", \"scene3\", \"scene4\", \"combiner\", \"postChain\", \"total\"], "
               "\"rows\": [";
        for (std::size_t k = 0; k < frames_.size(); ++k) {
            const FrameTimes& f = frames_[k];
            out += k ? ",\n    [" : "\n    [";
            out += std::to_string(f.number) + ", " + number(f.row);
            for (const auto& scene : f.scenes)
                out += ", " + (scene ? number(*scene) : "null");
            out += ", " + number(f.combiner) + ", " + number(f.postChain) + ", " + number(f.total) +
                   "]";
        }
        out += "]}";
    }
    out += "\n}\n";
    return out;
}

} // namespace Sorva
