// ffmpeg as a child process fed through its standard input.
#include "tools/capture/VideoWriter.h"

#include "tools/capture/FindOnPath.h"
#include "tools/capture/Frame.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace Sorva {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ffmpegArguments(const fs::path& ffmpeg, const VideoWriter::Settings& s,
                                         const SoundTrack* sound, const fs::path& output) {
    std::vector<std::string> args = {ffmpeg.string(), "-hide_banner", "-nostdin", "-loglevel",
                                     "error", "-y",
                                     // The frames, as they come down the pipe.
                                     "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size",
                                     std::to_string(s.width) + "x" + std::to_string(s.height),
                                     "-framerate", std::to_string(s.fps), "-i", "pipe:0"};
    if (sound) {
        // The stretch of the tune the frames show, encoded already.
        args.insert(args.end(), {"-i", sound->file().string(), "-map", "0:v:0", "-map", "1:a:0",
                                 "-c:a", "copy"});
    }
    // Constant quality; "veryfast" costs a quarter of x264's default preset,
    // which would take as much CPU as rendering on a software renderer.
    args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt",
                             "yuv420p", "-movflags", "+faststart"});
    if (!s.comment.empty())
        args.insert(args.end(), {"-metadata", "comment=" + s.comment});
    args.insert(args.end(), {"-f", "mp4", output.string()});
    return args;
}

} // namespace

VideoWriter::VideoWriter(const Settings& settings) : file_(settings.path) {
    const fs::path ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty())
        throw std::runtime_error("ffmpeg is not on PATH; --out FILE.mp4 needs it to encode "
                                 "the video (Debian package ffmpeg)");

    if (settings.start < settings.tuneLength) {
        fs::path sound = file_.temporaryPath();
        sound += ".m4a";
        sound_.emplace(
            SoundTrack::Settings{ffmpeg, settings.tune, settings.start, settings.duration, sound});
    }
    const std::vector<std::string> args =
        ffmpegArguments(ffmpeg, settings, sound_ ? &*sound_ : nullptr, file_.temporaryPath());
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot make a pipe to ffmpeg: ") +
                                 std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    // Our standard output may carry the benchmark's JSON.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&ffmpeg_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (spawned != 0) {
        close(fds[1]);
        ffmpeg_ = -1;
        throw std::runtime_error("cannot start " + ffmpeg.string() + ": " + std::strerror(spawned));
    }
    pipe_ = fds[1];
}

VideoWriter::~VideoWriter() {
    if (ffmpeg_ > 0)
        abandon();
}

void VideoWriter::write(const Frame& frame) {
    const auto* data = frame.pixels.data();
    std::size_t left = frame.pixels.size();
    while (left > 0) {
        const ssize_t n = ::write(pipe_, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            const int status = reap();
            throw std::runtime_error(error == EPIPE
                                         ? "ffmpeg stopped taking frames (exit code " +
                                               std::to_string(status) + "); its messages are above"
                                         : std::string("cannot write frames to ffmpeg: ") +
                                               std::strerror(error));
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

int VideoWriter::reap() {
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (ffmpeg_ <= 0)
        return -1;
    int status = 0;
    while (waitpid(ffmpeg_, &status, 0) < 0 && errno == EINTR) {
    }
    ffmpeg_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void VideoWriter::finish() {
    const int status = reap();
    if (status != 0)
        throw std::runtime_error("ffmpeg failed (exit code " + std::to_string(status) +
                                 ") encoding " + file_.finalPath().string() +
                                 "; its messages are above");
    file_.commit();
}

void VideoWriter::abandon() {
    if (ffmpeg_ > 0)
        kill(ffmpeg_, SIGTERM);
    reap();
    file_.discard();
}

} // namespace Sorva
