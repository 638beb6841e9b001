// The playing side of a sound card output: copies the tune into device
// buffers and turns "frames handed over, and when" into a smooth playback position.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>

namespace Sorva {

// fill() runs on the audio thread, position() on any other thread; times
// are passed in so that tests can drive both with a fake clock.
//
// The frames handed over are counted as played from the moment their buffer
// is requested: the frames handed over before the latest buffer, plus the
// time since that request at the sample rate, but never more than the frames
// handed over so far. That bound is where the next buffer's base starts, so
// the count never goes backwards. The listener is behind it by the frames
// still buffered in the device, so the position is that count less the
// buffered frames, clamped to the tune: 0 until the first buffered frames
// have played, and its length once the silence after its end has reached
// the speaker.
//
// The audio thread publishes (base, limit, time) through a sequence lock over
// atomics: the reader retries while the sequence is odd or has changed and
// never blocks the audio thread, which a mutex shared with it could do.
class PlaybackCursor {
public:
    using Clock = std::chrono::steady_clock;

    explicit PlaybackCursor(int sampleRate) : sampleRate_(sampleRate) {}
    PlaybackCursor(const PlaybackCursor&) = delete;
    PlaybackCursor& operator=(const PlaybackCursor&) = delete;

    // Interleaved stereo samples; set before the first fill().
    void setTune(std::span<const std::int16_t> samples);
    std::int64_t tuneFrames() const { return tuneFrames_; }
    // Frames handed over but not yet heard when the device asks for the next
    // buffer; 0 unless set. Set before the first fill().
    void setBufferedFrames(int frames) { bufferedFrames_ = frames; }

    // Writes the next `frames` stereo frames into `out`, silence after the
    // tune's end, and records that they were handed over at `now`.
    void fill(std::int16_t* out, int frames, Clock::time_point now);

    // Moves playback to `frames`: the next buffer starts there, and the
    // position reads `frames` less the buffered frames until then. Only
    // while no fill() runs (the device locked or paused).
    void seek(std::int64_t frames, Clock::time_point now);

    // Frames heard at `now`; lock-free.
    double position(Clock::time_point now) const;
    // When the device last asked for a buffer (or playback was last moved);
    // the epoch before the first time.
    Clock::time_point lastFill() const;
    // From now on every buffer is silence: the sound has been given up on,
    // and a device that comes back must not play on from where it stopped.
    // Const: the reader that notices a lost device is the one that mutes it.
    void mute() const { muted_.store(true, std::memory_order_relaxed); }

private:
    void publish(std::int64_t base, std::int64_t limit, Clock::time_point now);

    const int sampleRate_;
    std::span<const std::int16_t> samples_;
    std::int64_t tuneFrames_ = 0;
    int bufferedFrames_ = 0;
    std::int64_t handed_ = 0; // audio thread only

    std::atomic<std::uint32_t> sequence_{0};
    std::atomic<std::int64_t> baseFrames_{0};
    std::atomic<std::int64_t> limitFrames_{0};
    std::atomic<std::int64_t> handedAtNs_{0};
    mutable std::atomic<bool> muted_{false};
};

} // namespace Sorva
