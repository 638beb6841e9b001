// ffmpeg run to the end for each encoding and measurement, its messages
// kept in a file beside the sound to be read back.
#include "tools/capture/SoundTrack.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace Sorva {

namespace fs = std::filesystem;

namespace {

// What the audio is encoded with: AAC at a rate where it overshoots least.
constexpr const char* bitRate = "256k";
// Each new try aims this far under the ceiling.
constexpr double headroom = 0.2;
constexpr int tries = 5;

std::string decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// Runs ffmpeg with the arguments; returns what it wrote on stderr. Throws
// when it cannot be started or fails, with its last message.
std::string run(const fs::path& ffmpeg, std::vector<std::string> args, const fs::path& log) {
    args.insert(args.begin(), {ffmpeg.string(), "-hide_banner", "-nostdin", "-y"});
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + ffmpeg.string() + ": " + std::strerror(spawned));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::ifstream in(log, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::error_code ec;
    fs::remove(log, ec);
    const std::string messages = text.str();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string last = messages.substr(0, messages.find_last_not_of('\n') + 1);
        last = last.substr(last.find_last_of('\n') + 1);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        throw std::runtime_error("ffmpeg failed (exit code " + std::to_string(code) +
                                 ") on the video's sound: " + last);
    }
    return messages;
}

fs::path logBeside(const fs::path& file) {
    fs::path log = file;
    log += ".log";
    return log;
}

} // namespace

SoundTrack::SoundTrack(const Settings& settings) : file_(settings.file) {
    try {
        for (int attempt = 0; attempt < tries; ++attempt) {
            encode(settings);
            truePeak_ = truePeakOf(settings.ffmpeg, file_);
            if (truePeak_ <= ceiling)
                return;
            gain_ -= truePeak_ - (ceiling - headroom);
        }
    } catch (...) {
        std::error_code ec;
        fs::remove(file_, ec);
        throw;
    }
    std::error_code ec;
    fs::remove(file_, ec);
    throw std::runtime_error("the video's sound still peaks at " + decimal(truePeak_) +
                             " dBTP after " + std::to_string(tries) + " encodings, above " +
                             decimal(ceiling));
}

SoundTrack::~SoundTrack() {
    std::error_code ec;
    fs::remove(file_, ec);
}

void SoundTrack::encode(const Settings& s) {
    std::vector<std::string> args = {
        "-loglevel", "error",         "-ss", decimal(s.start), "-t", decimal(s.duration),
        "-i",        s.tune.string(), "-vn"};
    if (gain_ < 0.0)
        args.insert(args.end(), {"-af", "volume=" + decimal(gain_) + "dB"});
    args.insert(args.end(), {"-c:a", "aac", "-b:a", bitRate, "-f", "mp4", file_.string()});
    run(s.ffmpeg, args, logBeside(file_));
}

double SoundTrack::truePeakOf(const fs::path& ffmpeg, const fs::path& file) {
    const std::string messages = run(ffmpeg,
                                     {"-loglevel", "info", "-i", file.string(), "-map", "0:a:0",
                                      "-af", "ebur128=peak=true", "-f", "null", "-"},
                                     logBeside(file));
    // The summary at the end: "True peak:" and on the next line "Peak: X dBFS".
    const std::size_t summary = messages.rfind("True peak:");
    const std::size_t peak =
        summary == std::string::npos ? summary : messages.find("Peak:", summary + 10);
    if (peak == std::string::npos)
        throw std::runtime_error("ffmpeg measured no true peak in " + file.string());
    const char* begin = messages.c_str() + peak + 5;
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin)
        throw std::runtime_error("ffmpeg measured no true peak in " + file.string());
    return value;
}

} // namespace Sorva
