// The capture run: start-up, range, the frame loop and the output.
#include "tools/capture/Capture.h"

#include "app/DisplayContext.h"
#include "app/Show.h"
#include "app/ShowDirectory.h"
#include "app/Tune.h"
#include "fx/ShowScenes.h"
#include "gl/ReloadRegistry.h"
#include "gl/StartupObserver.h"
#include "sync/FrameClock.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"
#include "sync/Rexception.h"
#include "sync/SyncDevice.h"
#include "sync/Track.h"
#include "tools/capture/BenchReport.h"
#include "tools/capture/ContactSheet.h"
#include "tools/capture/FileIdentity.h"
#include "tools/capture/FindOnPath.h"
#include "tools/capture/FrameReader.h"
#include "tools/capture/FrameWriterThread.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/PngSequenceWriter.h"
#include "tools/capture/PrivateXServer.h"
#include "tools/capture/ProgressLine.h"
#include "tools/capture/TuneLoudness.h"
#include "tools/capture/VideoWriter.h"
#include "tools/choreo/Fields.h"
#include "tools/choreo/TuneEvents.h"

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace Sorva {

std::atomic<bool> Capture::interrupted{false};

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Output = CaptureOptions::Output;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The GL layer's start-up work, summed by kind while this is installed.
class GlStartupTimes : public Gl::StartupObserver {
public:
    GlStartupTimes() { install(this); }
    ~GlStartupTimes() override { install(nullptr); }
    GlStartupTimes(const GlStartupTimes&) = delete;
    GlStartupTimes& operator=(const GlStartupTimes&) = delete;

    void spent(Work work, Clock::duration time) override { total_[index(work)] += time; }
    double milliseconds(Work work) const { return ms(total_[index(work)]); }

private:
    static std::size_t index(Work work) { return static_cast<std::size_t>(work); }
    std::array<Clock::duration, 3> total_{};
};

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", s);
    return text;
}

// A time as the user gave it, however large.
std::string given(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", s);
    return text;
}

// Fails before anything is rendered when the output cannot be written.
void checkOutput(const CaptureOptions& options, const fs::path& path) {
    switch (options.output) {
    case Output::Video:
        if (findOnPath("ffmpeg").empty())
            throw std::runtime_error("ffmpeg is not on PATH; --out FILE.mp4 needs it to encode "
                                     "the video (Debian package ffmpeg)");
        PendingFile{path};
        break;
    case Output::Sheet:
        PendingFile{path};
        break;
    case Output::PngFrames:
        PngSequenceWriter{path};
        break;
    case Output::None:
        break;
    }
}

// The show's own output (shader sources and logs on stdout) goes to stderr
// or nowhere; standard output is kept for the benchmark's JSON, which is
// written through the returned descriptor.
int setAsideStdout(bool verbose) {
    std::fflush(stdout);
    const int kept = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int sink = verbose ? STDERR_FILENO : open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (kept < 0 || sink < 0)
        throw std::runtime_error("cannot set standard output aside");
    dup2(sink, STDOUT_FILENO);
    if (!verbose)
        close(sink);
    return kept;
}

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("cannot write the benchmark report to standard output");
        done += static_cast<std::size_t>(n);
    }
}

// The events file the build makes beside the tools.
fs::path builtEvents() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path("tune-events.txt") : exe.parent_path() / "tune-events.txt";
}

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

} // namespace

void Capture::run() {
    // Output paths are the user's, relative to where the tool was started.
    outPath_ = options_.path.empty() ? fs::path() : fs::absolute(options_.path);
    if (!options_.report.empty()) {
        reportPath_ = fs::absolute(options_.report);
        eventsPath_ = options_.events.empty() ? builtEvents() : fs::absolute(options_.events);
    }
    // The show directory: the working directory when it holds the tune,
    // otherwise show/ beside this executable.
    enterShowDirectory("show", tunePath);
    refuseSharedFiles();
    checkOutput(options_, outPath_);
    if (!reportPath_.empty()) {
        PendingFile{reportPath_};
        readEvents();
    }
    jsonFd_ = setAsideStdout(options_.verbose);
    // The range needs no window: a bad one is refused before any is made.
    openTune();
    findRange();
    startDisplay();
    openShow();
    choosePreroll();
    openOutput();
    try {
        renderAndWrite();
        finishOutput();
    } catch (...) {
        abandonOutput();
        throw;
    }
    report();
    checkShaders();
}

// The tune's events for the report, read before anything is rendered, no
// larger than halvo-choreo takes them.
void Capture::readEvents() {
    const std::string name = eventsPath_.string();
    std::string text;
    if (const std::string problem = Choreo::readTextFile(name, text); !problem.empty())
        throw std::runtime_error("cannot read the tune's events " + name + ": " + problem +
                                 " (halvo-tune --events FILE writes them; --events names "
                                 "another file)");
    Choreo::TuneEventsResult parsed = Choreo::parseTuneEvents(text, name);
    if (!parsed.error.empty())
        throw std::runtime_error(parsed.error);
    events_ = std::move(parsed.events);
}

// No output may name an input or another output, however spelt: the
// report over the events, or the sheet and the report in one file, would
// lose one of them.
void Capture::refuseSharedFiles() const {
    struct Named {
        std::string option; // as the user gave it
        fs::path path;
        bool output;
    };
    std::vector<Named> files;
    const bool frames = options_.output == Output::PngFrames;
    if (options_.output == Output::Video || options_.output == Output::Sheet)
        files.push_back(
            {std::string(options_.output == Output::Video ? "--out " : "--sheet ") + options_.path,
             outPath_, true});
    if (!reportPath_.empty()) {
        files.push_back({"--report " + options_.report, reportPath_, true});
        files.push_back({options_.events.empty() ? "the tune's events " + eventsPath_.string()
                                                 : "--events " + options_.events,
                         eventsPath_, false});
    }
    const fs::path tune = fs::absolute(tunePath).lexically_normal();
    files.push_back({"the tune " + tune.string(), tune, false});

    std::vector<std::optional<FileIdentity>> ids;
    for (const Named& file : files)
        ids.push_back(FileIdentity::of(file.path));
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j)
            if ((files[i].output || files[j].output) && ids[i] && ids[j] && *ids[i] == *ids[j])
                throw CaptureOptions::Error(files[i].option + " and " + files[j].option +
                                            " name the same file");
        // PNG frames are frame-NNNNNN.png in their directory, which may not
        // be made yet.
        const std::string name = files[i].path.filename().string();
        if (frames && name.starts_with("frame-") && name.ends_with(".png") &&
            (ids[i] ? ids[i] == FileIdentity::inside(outPath_, name)
                    : fs::weakly_canonical(files[i].path.parent_path()) ==
                          fs::weakly_canonical(outPath_)))
            throw CaptureOptions::Error(files[i].option + " is a frame --out " + options_.path +
                                        " would write");
    }
}

// A hidden window on a fixed frame step, on a private X server when there is
// no display.
void Capture::startDisplay() {
    if (const char* display = std::getenv("DISPLAY"); !display || !*display)
        xServer_.emplace(options_.width, options_.height);

    const Clock::time_point windowBegin = Clock::now();
    display_.emplace(options_.width, options_.height, DisplayContext::Offline{1.0 / options_.fps});
    glGetError();
    startup_.window = ms(Clock::now() - windowBegin);
}

// The tracks, and the tune on an output that only moves when told.
void Capture::openTune() {
    const Clock::time_point tuneBegin = Clock::now();
    SyncDevice::instance();
    auto ownOutput = std::make_unique<ManualAudioOutput>();
    audio_ = ownOutput.get();
    try {
        MusicClock::instance().open(tunePath, tuneBpm, std::move(ownOutput));
    } catch (const Rexception& e) {
        throw std::runtime_error(std::string(e.what()) + " (" + tunePath + " in " +
                                 fs::current_path().string() + ")");
    }
    startup_.tuneDecoding = ms(Clock::now() - tuneBegin);
    MusicClock::instance().start();
    clock_.emplace(options_.fps, *audio_);
}

// The show, and the framebuffer it is captured from.
void Capture::openShow() {
    GlStartupTimes gl;
    const Clock::time_point showBegin = Clock::now();
    clock_->seek(0);
    show_.emplace(*display_);
    if (!options_.effect.empty())
        show_->setSolo(makeEffect(options_.effect, *display_, *display_));
    reader_.emplace(options_.width, options_.height);
    startup_.imageDecoding = gl.milliseconds(Gl::StartupObserver::Work::ImageDecoding);
    startup_.shaderCompileLink = gl.milliseconds(Gl::StartupObserver::Work::ShaderBuilding);
    startup_.framebufferCreation = gl.milliseconds(Gl::StartupObserver::Work::FramebufferSetup);
    startup_.total = startup_.window + startup_.tuneDecoding + ms(Clock::now() - showBegin);
}

// The show ends where the demo's would: at the first frame at which track
// "e" ends it, else the tune's end plus the grace. The range is --from to
// --to, or to that end, and either past it is refused; a contact sheet's
// frames spread over the range.
void Capture::findRange() {
    const CaptureOptions& o = options_;
    FrameClock& clock = *clock_;
    const Track endTrack(Show::endTrackName);
    // From the tune's end on, the row holds, and so does the track.
    const std::int64_t tuneEnd = clock.tuneEndFrame(audio_->tuneFrames());
    std::int64_t showEnd = 0;
    for (; showEnd <= tuneEnd; ++showEnd) {
        if (interrupted)
            throw Interrupted();
        clock.seek(showEnd);
        if (Show::ends(endTrack.value()))
            break;
    }
    std::string end = "the show's end at ";
    if (showEnd <= tuneEnd) {
        end += seconds(clock.seconds(showEnd)) + " (where track \"" + Show::endTrackName +
               "\" reaches 1.0)";
    } else {
        showEnd = tuneEnd + std::llround(Show::endGraceSeconds * o.fps);
        end += seconds(clock.seconds(showEnd)) + " (the tune's end plus " +
               given(Show::endGraceSeconds) + ": track \"" + Show::endTrackName +
               "\" never reaches 1.0)";
    }

    first_ = clock.frameAt(o.from);
    if (first_ >= showEnd)
        throw CaptureOptions::Error("nothing to capture: --from " + given(o.from) +
                                    " is not before " + end);
    // The end as printed, to the millisecond, is taken for the end itself.
    if (o.to && *o.to > clock.seconds(showEnd) + 0.0005)
        throw CaptureOptions::Error("--to " + given(*o.to) + " is past " + end);
    end_ = o.to ? std::min(clock.frameAt(*o.to), showEnd) : showEnd;
    if (end_ <= first_)
        throw CaptureOptions::Error("nothing to capture: no frame at " + std::to_string(o.fps) +
                                    " fps lies from --from " + given(o.from) + " to --to " +
                                    given(*o.to));

    if (o.output == Output::Sheet) {
        try {
            layout_.emplace(o.width, o.height, o.sheetFrames, first_, end_);
        } catch (const std::invalid_argument&) {
            throw std::runtime_error("--frames " + std::to_string(o.sheetFrames) + ": the range " +
                                     seconds(clock.seconds(first_)) + " to " +
                                     seconds(clock.seconds(end_)) + " has only " +
                                     std::to_string(end_ - first_) + " frames");
        }
    }
}

// Rendering starts at 0 so that effect history is what it would be at
// --from; with --no-preroll it starts at --from, and the user is told.
void Capture::choosePreroll() {
    start_ = options_.preroll ? 0 : first_;
    if (!options_.preroll && first_ > 0) {
        note_ = "no preroll: effect history starts empty at " + seconds(clock_->seconds(first_));
        std::fprintf(stderr, "halvo-capture: %s (frame %lld)\n", note_.c_str(),
                     static_cast<long long>(first_));
    }
}

// PNG frames, the video encoder or the contact sheet behind the writer
// thread; the benchmark's report, told of every frame.
void Capture::openOutput() {
    const CaptureOptions& o = options_;
    std::optional<double> soundTruePeak;
    switch (o.output) {
    case Output::PngFrames:
        sink_ = std::make_unique<PngSequenceWriter>(outPath_);
        break;
    case Output::Video: {
        VideoWriter::Settings video;
        video.path = outPath_;
        video.width = o.width;
        video.height = o.height;
        video.fps = o.fps;
        video.tune = fs::absolute(tunePath);
        video.start = clock_->seconds(first_);
        video.duration = clock_->seconds(end_ - first_);
        video.tuneLength = static_cast<double>(audio_->tuneFrames()) / AudioOutput::sampleRate;
        video.comment = note_;
        auto writer = std::make_unique<VideoWriter>(video);
        soundTruePeak = writer->soundTruePeak();
        sink_ = std::move(writer);
        break;
    }
    case Output::Sheet:
        sink_ = std::make_unique<ContactSheet>(outPath_, *layout_, note_);
        break;
    case Output::None:
        break;
    }
    output_ = sink_.get();
    if (!reportPath_.empty()) {
        const ReportWriter::Run run{o.width,
                                    o.height,
                                    o.fps,
                                    clock_->seconds(first_),
                                    clock_->seconds(end_),
                                    eventsPath_.string(),
                                    soundTruePeak};
        showReport_.emplace(
            reportPath_, run, events_, first_, end_,
            TuneLoudness(audio_->samples(), MusicClock::instance().rowsPerSecond()));
        probe_.emplace(*display_, o.effect);
        if (sink_)
            output_ = &tee_.emplace(*sink_, *showReport_);
        else
            output_ = &*showReport_;
    }
    if (output_)
        writer_.emplace(*output_, o.width, o.height);

    if (o.bench) {
        report_.emplace(o.benchFrames);
        report_->setStartup(startup_);
        report_->setRun({o.width, o.height, o.fps, first_, end_, o.preroll, first_ - start_});
        show_->setObserver(&*report_);
    }
}

// Every frame from the start of the preroll to the end of the range, each
// one a fixed step later; only those in the range are timed and written.
void Capture::renderAndWrite() {
    progress_.emplace(stderr, isatty(STDERR_FILENO) != 0);
    loopBegin_ = Clock::now();
    int nextTile = 0;
    for (std::int64_t n = start_; n < end_; ++n) {
        if (interrupted)
            throw Interrupted();
        clock_->seek(n);
        const double row = MusicClock::instance().row();
        const bool inRange = n >= first_;
        if (report_ && inRange)
            report_->beginFrame(n, row);
        const Clock::time_point frameBegin = Clock::now();

        show_->renderFrame(&reader_->target());

        if (report_ && inRange)
            report_->endFrame();
        if (report_ && n == start_) {
            glFinish();
            report_->setFirstFrame(ms(Clock::now() - frameBegin));
        }
        if (probe_) {
            const ShowReport::Scene scene = probe_->next();
            if (inRange)
                showReport_->setScene(n, scene);
        }
        // The report takes every frame of the range, the sheet only its own.
        bool output = inRange && sink_;
        if (output && layout_) {
            output = nextTile < layout_->count() && layout_->tile(nextTile).frame == n;
            nextTile += output;
        }
        if (output || (inRange && showReport_))
            reader_->read(n, clock_->seconds(n), row, *writer_);
        written_ += output;
        display_->swap();
        display_->pollEvents();
        progress_->update(n - start_ + 1, end_ - start_, inRange ? "rendering" : "prerolling");
    }
}

// Waits for the last frames to be written and completes the output under its
// final name.
void Capture::finishOutput() {
    if (writer_) {
        reader_->flush(*writer_);
        writer_->finish();
    }
    progress_->finish();
}

// After a failure or an interruption: nothing half-written is left behind.
void Capture::abandonOutput() {
    if (progress_)
        progress_->finish();
    if (writer_)
        writer_->cancel();
    if (output_)
        output_->abandon();
}

// A shader that failed to build draws nothing useful: the run fails after
// its output is written, so that a script never takes a black video for a
// good one, unless --keep-going says that is expected.
void Capture::checkShaders() {
    const std::size_t failed = ReloadRegistry::instance().failedCount();
    if (failed > 0 && !options_.keepGoing)
        throw std::runtime_error(std::to_string(failed) +
                                 " of the show's shader programs failed to compile or link "
                                 "(see above): the output is written, but its pictures are wrong "
                                 "(--keep-going exits 0 all the same)");
}

// The summary line on stderr, and the benchmark's JSON on standard output.
void Capture::report() {
    const double took = std::chrono::duration<double>(Clock::now() - loopBegin_).count();
    const std::int64_t frames = end_ - start_;
    std::fprintf(stderr, "halvo-capture: %lld frames (%s to %s) rendered in %.1f s, %.2f fps",
                 static_cast<long long>(frames), seconds(clock_->seconds(start_)).c_str(),
                 seconds(clock_->seconds(end_)).c_str(), took,
                 took > 0 ? static_cast<double>(frames) / took : 0.0);
    if (sink_)
        std::fprintf(stderr, "; %lld written to %s", static_cast<long long>(written_),
                     outPath_.c_str());
    if (showReport_)
        std::fprintf(stderr, "; report in %s", showReport_->path().c_str());
    std::fprintf(stderr, "\n");

    if (report_)
        writeAll(jsonFd_, report_->json());
    if (showReport_)
        writeAll(jsonFd_, showReport_->table());
    close(jsonFd_);
}

} // namespace Sorva
