// The capture run: start-up, range, the frame loop and the output.
#include "tools/capture/Capture.h"

#include "app/DisplayContext.h"
#include "app/Show.h"
#include "app/ShowDirectory.h"
#include "gl/StartupTimes.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"
#include "sync/Rexception.h"
#include "sync/SyncDevice.h"
#include "tools/capture/BenchReport.h"
#include "tools/capture/ContactSheet.h"
#include "tools/capture/FindOnPath.h"
#include "tools/capture/FrameClock.h"
#include "tools/capture/FrameReader.h"
#include "tools/capture/FrameWriterThread.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/PngSequenceWriter.h"
#include "tools/capture/PrivateXServer.h"
#include "tools/capture/ProgressLine.h"
#include "tools/capture/VideoWriter.h"

#include <GL/glew.h>

#include <chrono>
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

constexpr const char* tunePath = "./data/nostalgia-rmx.mp3";
constexpr double tuneBpm = 131.0;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", s);
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

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

} // namespace

void Capture::run() {
    const CaptureOptions& o = options_;
    // Output paths are the user's, relative to where the tool was started.
    const fs::path outPath = o.path.empty() ? fs::path() : fs::absolute(o.path);
    checkOutput(o, outPath);

    // The show directory: the working directory when it holds the tune,
    // otherwise show/ beside this executable.
    enterShowDirectory("show", tunePath);
    const int jsonFd = setAsideStdout(o.verbose);

    std::optional<PrivateXServer> xServer;
    if (const char* display = std::getenv("DISPLAY"); !display || !*display)
        xServer.emplace(o.width, o.height);

    const Clock::time_point startupBegin = Clock::now();
    DisplayContext display(o.width, o.height, DisplayContext::Offline{1.0 / o.fps});
    glGetError();
    const Clock::time_point windowReady = Clock::now();

    SyncDevice::instance();
    auto ownOutput = std::make_unique<ManualAudioOutput>();
    ManualAudioOutput& audio = *ownOutput;
    try {
        MusicClock::instance().open(tunePath, tuneBpm, std::move(ownOutput));
    } catch (const Rexception& e) {
        throw std::runtime_error(std::string(e.what()) + " (" + tunePath + " in " +
                                 fs::current_path().string() + ")");
    }
    const Clock::time_point tuneReady = Clock::now();

    Show show(display);
    FrameReader reader(o.width, o.height);
    const Clock::time_point showReady = Clock::now();
    MusicClock::instance().start();

    // The range: from --from to --to, or to where track "e" reaches 1.0 or
    // the tune ends.
    FrameClock clock(o.fps, audio);
    const std::int64_t first = clock.frameAt(o.from);
    const std::int64_t tuneEnd = clock.tuneEndFrame(audio.tuneFrames());
    std::int64_t end = first;
    if (o.to) {
        end = clock.frameAt(*o.to);
    } else {
        for (; end < tuneEnd; ++end) {
            clock.seek(end);
            if (show.ended())
                break;
        }
    }
    if (end <= first)
        throw std::runtime_error("nothing to capture: at --from " + seconds(o.from) +
                                 " the show is over (track \"e\" has reached 1.0, or the "
                                 "tune has ended)");
    const std::int64_t start = o.preroll ? 0 : first;

    std::optional<SheetLayout> layout;
    if (o.output == Output::Sheet) {
        try {
            layout.emplace(o.width, o.height, o.sheetFrames, first, end);
        } catch (const std::invalid_argument&) {
            throw std::runtime_error("--frames " + std::to_string(o.sheetFrames) + ": the range " +
                                     seconds(clock.seconds(first)) + " to " +
                                     seconds(clock.seconds(end)) + " has only " +
                                     std::to_string(end - first) + " frames");
        }
    }

    std::string note;
    if (!o.preroll && first > 0) {
        note = "no preroll: effect history starts empty at " + seconds(clock.seconds(first));
        std::fprintf(stderr, "halvo-capture: %s (frame %lld)\n", note.c_str(),
                     static_cast<long long>(first));
    }

    std::unique_ptr<FrameSink> sink;
    switch (o.output) {
    case Output::PngFrames:
        sink = std::make_unique<PngSequenceWriter>(outPath);
        break;
    case Output::Video: {
        VideoWriter::Settings video;
        video.path = outPath;
        video.width = o.width;
        video.height = o.height;
        video.fps = o.fps;
        video.tune = fs::absolute(tunePath);
        video.start = clock.seconds(first);
        video.duration = clock.seconds(end - first);
        video.tuneLength = static_cast<double>(audio.tuneFrames()) / AudioOutput::sampleRate;
        video.comment = note;
        sink = std::make_unique<VideoWriter>(video);
        break;
    }
    case Output::Sheet:
        sink = std::make_unique<ContactSheet>(outPath, *layout, note);
        break;
    case Output::None:
        break;
    }
    std::optional<FrameWriterThread> writer;
    if (sink)
        writer.emplace(*sink, o.width, o.height);

    std::optional<BenchReport> report;
    if (o.bench) {
        report.emplace(o.benchFrames);
        const Gl::StartupTimes& gl = Gl::StartupTimes::instance();
        report->setStartup({ms(windowReady - startupBegin), ms(tuneReady - windowReady),
                            gl.imageDecoding * 1e3, gl.shaderBuilding * 1e3,
                            gl.framebufferSetup * 1e3, ms(showReady - startupBegin)});
        report->setRun({o.width, o.height, o.fps, first, end, o.preroll, first - start});
        show.setObserver(&*report);
    }

    ProgressLine progress(stderr, isatty(STDERR_FILENO) != 0);
    const Clock::time_point loopBegin = Clock::now();
    int nextTile = 0;
    std::int64_t written = 0;
    try {
        for (std::int64_t n = start; n < end; ++n) {
            if (interrupted)
                throw Interrupted();
            clock.seek(n);
            const double row = MusicClock::instance().row();
            const bool inRange = n >= first;
            if (report && inRange)
                report->beginFrame(n, row);
            const Clock::time_point frameBegin = Clock::now();

            show.renderFrame(&reader.target());

            if (report && inRange)
                report->endFrame();
            if (report && n == start) {
                glFinish();
                report->setFirstFrame(ms(Clock::now() - frameBegin));
            }
            bool wanted = inRange && writer;
            if (wanted && layout) {
                wanted = nextTile < layout->count() && layout->tile(nextTile).frame == n;
                nextTile += wanted;
            }
            if (wanted) {
                reader.read(n, clock.seconds(n), row, *writer);
                ++written;
            }
            display.swap();
            display.pollEvents();
            progress.update(n - start + 1, end - start, inRange ? "rendering" : "prerolling");
        }
        if (writer) {
            reader.flush(*writer);
            writer->finish();
        }
    } catch (...) {
        progress.finish();
        if (writer)
            writer->cancel();
        if (sink)
            sink->abandon();
        throw;
    }
    progress.finish();

    const double took = std::chrono::duration<double>(Clock::now() - loopBegin).count();
    std::fprintf(stderr, "halvo-capture: %lld frames (%s to %s) rendered in %.1f s, %.2f fps",
                 static_cast<long long>(end - start), seconds(clock.seconds(start)).c_str(),
                 seconds(clock.seconds(end)).c_str(), took,
                 took > 0 ? static_cast<double>(end - start) / took : 0.0);
    if (sink)
        std::fprintf(stderr, "; %lld written to %s", static_cast<long long>(written),
                     outPath.c_str());
    std::fprintf(stderr, "\n");

    if (report)
        writeAll(jsonFd, report->json());
    close(jsonFd);
}

} // namespace Sorva
