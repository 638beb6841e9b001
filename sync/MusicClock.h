// The tune and the demo's only time base: the playback position in rows.
#pragma once

#include "sync/AudioOutput.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Sorva {

class MusicClock {
public:
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    // The one clock of the process, created unopened on first call; it plays
    // through AudioOutput::openDefault().
    static MusicClock& instance();

    // A clock that opens its output with `openOutput` (null: no output).
    explicit MusicClock(OutputFactory openOutput = &AudioOutput::openDefault);
    // Stops the output before the samples it reads are freed.
    ~MusicClock();
    MusicClock(const MusicClock&) = delete;
    MusicClock& operator=(const MusicClock&) = delete;

    // Opens the audio output, then decodes the whole tune into memory;
    // throws Rexception ("Fial! BASS!" or "Failed to open tune.") when that
    // is impossible, the latter after a line on stderr naming the file and
    // why. Called once.
    void open(const char* path, double bpm);
    // The same on an output the caller made instead of the clock's own: the
    // capture tool opens the process's clock on an output it moves itself.
    void open(const char* path, double bpm, std::unique_ptr<AudioOutput> output);
    // Starts playback from the beginning.
    void start();
    // Playback position in rows: seconds * bpm / 60 * 8. 0 before start.
    // This is what is being heard: it never runs backwards between seeks
    // and is not smoothed.
    double row() const;

    // The row the picture is drawn for: the row heard plus the lead the
    // frame routine last set, for the time its frame takes to reach the
    // screen. While paused, before start and once the tune has ended there
    // is no lead; it never passes the tune's end. Every reader of the show
    // (tracks, camera, effects, post chain) reads this one.
    double pictureRow() const;
    // Seconds the frame routine expects between reading the row and its
    // frame being seen; 0 (the default) draws the row heard.
    void setPictureLead(double seconds) { leadSeconds_ = seconds; }
    double pictureLead() const { return leadSeconds_; }

    // Moves playback, and so the row, to `row` within the tune; the row goes
    // on from there, never back until the next seek.
    void seek(double row);
    // Holds the music and the row where they are, or plays on from there.
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Rows per second of music: bpm / 60 * 8; 0 until a tune is open.
    double rowsPerSecond() const { return rowsPerSecond_; }
    // The tune's length in rows; 0 until one is open.
    double tuneRows() const { return static_cast<double>(tuneFrames()) * framesToRows(); }

    // Length of the decoded tune in 44.1 kHz frames; 0 until one is open.
    std::int64_t tuneFrames() const {
        return static_cast<std::int64_t>(samples_.size() / AudioOutput::channels);
    }
    // True once playback has reached the tune's end, where the position and
    // so the row hold from then on.
    bool finished() const {
        return output_ && tuneFrames() > 0 && output_->position() >= tuneFrames();
    }

private:
    double framesToRows() const { return rowsPerSecond_ / AudioOutput::sampleRate; }
    double frames() const;

    OutputFactory openOutput_;
    // Declared before the output, so it is freed after it even by default.
    std::vector<std::int16_t> samples_;
    std::unique_ptr<AudioOutput> output_;
    double rowsPerSecond_ = 0.0;
    double leadSeconds_ = 0.0;
    bool paused_ = false;
    // While paused: the frame playback holds at.
    double heldFrames_ = 0.0;
    // Since the last seek: the output's position may lag the frame sought
    // by what it still had buffered; the clock reads no less than that frame.
    double seekFloor_ = 0.0;
};

} // namespace Sorva
