// Encodes frames to an H.264 MP4 with Debian's ffmpeg: raw RGB frames go
// down a pipe, the tune's matching stretch is muxed in (encoded first, its
// true peak held at or below SoundTrack::ceiling), and the file gets its
// final name only when ffmpeg has succeeded.
#pragma once

#include "tools/capture/FrameSink.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/SoundTrack.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace Sorva {

class VideoWriter : public FrameSink {
public:
    struct Settings {
        std::filesystem::path path; // FILE.mp4
        int width = 0;              // even
        int height = 0;             // even
        int fps = 60;
        std::filesystem::path tune; // the show's MP3
        double start = 0.0;         // first frame's time, seconds
        double duration = 0.0;      // the video's length, seconds
        double tuneLength = 0.0;    // seconds; no audio when start is past it
        std::string comment;        // stored in the file's metadata when not empty
    };

    // Starts ffmpeg writing a temporary file beside the final one. Throws
    // std::runtime_error when ffmpeg is not on PATH, cannot be started, or
    // the output cannot be written.
    explicit VideoWriter(const Settings& settings);
    // Stops ffmpeg and removes the temporary file unless finished.
    ~VideoWriter() override;

    void write(const Frame& frame) override;
    // Ends the stream, waits for ffmpeg and renames the file; throws when
    // ffmpeg failed (its own messages are on stderr above).
    void finish() override;
    void abandon() override;

    // The true peak of the video's sound, dBTP; none without sound.
    std::optional<double> soundTruePeak() const {
        return sound_ ? std::optional<double>(sound_->truePeak()) : std::nullopt;
    }

private:
    // Closes the pipe and reaps ffmpeg; its exit code, or -1 when killed.
    int reap();

    PendingFile file_;
    std::optional<SoundTrack> sound_;
    int pipe_ = -1;
    pid_t ffmpeg_ = -1;
};

} // namespace Sorva
