// Where the decoded tune is played and how far playback has got: the seam
// between the music clock and the platform's sound output.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace Sorva {

class AudioOutput {
public:
    static constexpr int sampleRate = 44100;
    static constexpr int channels = 2;

    virtual ~AudioOutput() = default;

    // The interleaved stereo frames to play once started. The samples must
    // outlive the output; set before start().
    virtual void setTune(std::span<const std::int16_t> samples) = 0;
    // Starts playback from the first frame; later calls do nothing.
    virtual void start() = 0;
    // Frames played so far: 0 before start(), never decreasing between
    // seeks, and held at the tune's length once it has ended. Never blocks.
    virtual double position() const = 0;
    // Moves playback to `frames` from the tune's start, within the tune;
    // position() goes on from there.
    virtual void seek(double frames) = 0;
    // Stops playback where it is, or goes on from there; position() holds
    // while paused.
    virtual void setPaused(bool paused) = 0;

    // The sound card when one opens, otherwise a silent output paced by the
    // monotonic clock, announced by one warning on stderr. HALVO_AUDIO=silent
    // in the environment picks the silent output without trying the card (for
    // tests and machines whose card misbehaves). Returns null only when no
    // output at all can run.
    static std::unique_ptr<AudioOutput> openDefault();

    // The platform's sound card output (SDL on Linux, waveOut on Windows);
    // throws std::runtime_error naming the sound layer and why none opens.
    static std::unique_ptr<AudioOutput> openDevice();
};

} // namespace Sorva
