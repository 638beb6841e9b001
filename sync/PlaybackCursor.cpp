// Buffer filling and lock-free position reading for the sound card outputs.
#include "sync/PlaybackCursor.h"

#include <algorithm>
#include <cstring>

namespace Sorva {

namespace {

constexpr int channels = 2;

std::int64_t nanoseconds(PlaybackCursor::Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

} // namespace

void PlaybackCursor::setTune(std::span<const std::int16_t> samples) {
    samples_ = samples;
    tuneFrames_ = static_cast<std::int64_t>(samples.size() / channels);
}

void PlaybackCursor::fill(std::int16_t* out, int frames, Clock::time_point now) {
    const std::int64_t base = handed_;
    const std::int64_t left = muted_.load(std::memory_order_relaxed) ? 0 : tuneFrames_ - base;
    const auto copied = static_cast<std::size_t>(std::clamp<std::int64_t>(left, 0, frames));
    const std::size_t frameBytes = channels * sizeof(std::int16_t);
    if (copied > 0)
        std::memcpy(out, samples_.data() + base * channels, copied * frameBytes);
    std::memset(out + copied * channels, 0,
                (static_cast<std::size_t>(frames) - copied) * frameBytes);
    handed_ += frames;
    publish(base, handed_, now);
}

void PlaybackCursor::seek(std::int64_t frames, Clock::time_point now) {
    handed_ = frames;
    publish(frames, frames, now);
}

void PlaybackCursor::publish(std::int64_t base, std::int64_t limit, Clock::time_point now) {
    // Single writer: odd sequence while the three values change.
    const std::uint32_t s = sequence_.load(std::memory_order_relaxed);
    sequence_.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    baseFrames_.store(base, std::memory_order_relaxed);
    limitFrames_.store(limit, std::memory_order_relaxed);
    handedAtNs_.store(nanoseconds(now), std::memory_order_relaxed);
    sequence_.store(s + 2, std::memory_order_release);
}

PlaybackCursor::Clock::time_point PlaybackCursor::lastFill() const {
    return Clock::time_point(std::chrono::nanoseconds(handedAtNs_.load(std::memory_order_acquire)));
}

double PlaybackCursor::position(Clock::time_point now) const {
    std::int64_t base, limit, at;
    for (;;) {
        const std::uint32_t before = sequence_.load(std::memory_order_acquire);
        base = baseFrames_.load(std::memory_order_relaxed);
        limit = limitFrames_.load(std::memory_order_relaxed);
        at = handedAtNs_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1u) == 0 && sequence_.load(std::memory_order_relaxed) == before)
            break;
    }
    const double elapsed = std::max<std::int64_t>(nanoseconds(now) - at, 0) * 1e-9;
    const double handed =
        std::min(static_cast<double>(base) + elapsed * sampleRate_, static_cast<double>(limit));
    return std::clamp(handed - bufferedFrames_, 0.0, static_cast<double>(tuneFrames_));
}

} // namespace Sorva
