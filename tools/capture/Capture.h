// One run of the capture tool: brings up a hidden window and the show on a
// fixed time step, renders the chosen range through the show's own frame
// routine, and hands the frames to the chosen output.
#pragma once

#include "app/DisplayContext.h"
#include "app/Show.h"
#include "sync/FrameClock.h"
#include "tools/capture/BenchReport.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameReader.h"
#include "tools/capture/FrameSink.h"
#include "tools/capture/FrameWriterThread.h"
#include "tools/capture/PrivateXServer.h"
#include "tools/capture/ProgressLine.h"
#include "tools/capture/ReportProbe.h"
#include "tools/capture/SheetLayout.h"
#include "tools/capture/ShowReport.h"
#include "tools/capture/TeeSink.h"
#include "tools/choreo/TuneEvents.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Sorva {

class ManualAudioOutput;

class Capture {
public:
    // Set from a signal handler to stop the run between two frames.
    static std::atomic<bool> interrupted;

    explicit Capture(const CaptureOptions& options) : options_(options) {}

    // Runs the capture; throws std::exception with a message for the user
    // when it cannot, after removing any partial output.
    void run();

private:
    using Clock = std::chrono::steady_clock;

    // The steps of run(), in order; each leaves its results in the members
    // below for the next.
    void refuseSharedFiles() const;
    void readEvents();
    void openTune();
    void findRange();
    void startDisplay();
    void openShow();
    void choosePreroll();
    void openOutput();
    void renderAndWrite();
    void finishOutput();
    void abandonOutput();
    void report();
    void checkShaders();

    CaptureOptions options_;
    std::filesystem::path outPath_;    // absolute; empty without --out or --sheet
    std::filesystem::path reportPath_; // absolute; empty without --report
    std::filesystem::path eventsPath_;
    std::vector<Choreo::TuneEvent> events_;
    int jsonFd_ = -1; // the real standard output, for --bench

    // Declared in the order of start-up, so that the show goes before its
    // window and the window before its X server.
    std::optional<PrivateXServer> xServer_;
    std::optional<DisplayContext> display_;
    ManualAudioOutput* audio_ = nullptr; // owned by the music clock
    std::optional<Show> show_;
    std::optional<FrameReader> reader_;
    std::optional<FrameClock> clock_;
    BenchReport::Startup startup_;

    // Rendered: [start_, end_); written: [first_, end_).
    std::int64_t first_ = 0;
    std::int64_t end_ = 0;
    std::int64_t start_ = 0;
    std::optional<SheetLayout> layout_;
    std::string note_; // why effect history starts empty, if it does

    std::unique_ptr<FrameSink> sink_;
    std::optional<ShowReport> showReport_;
    std::optional<ReportProbe> probe_;
    std::optional<TeeSink> tee_;
    FrameSink* output_ = nullptr; // what the writer thread writes to, if anything
    std::optional<FrameWriterThread> writer_;
    std::optional<BenchReport> report_;
    std::optional<ProgressLine> progress_;
    Clock::time_point loopBegin_;
    std::int64_t written_ = 0;
};

} // namespace Sorva
