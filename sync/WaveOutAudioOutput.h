// Plays the tune on Windows' default sound device through waveOut: a few
// buffers queued on the device, refilled by a thread of its own as each is
// played. The position is what the device says it has played
// (waveOutGetPosition), not what it was handed: since Vista a buffer handed
// back has only been taken by the audio engine, not yet heard. Only the
// feeding thread calls into the device while the tune plays: a driver stuck
// on its sound server holds that thread, never the frames.
#pragma once

#include "sync/AudioOutput.h"
#include "sync/LostDeviceClock.h"
#include "sync/PlaybackCursor.h"

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace Sorva {

class WaveOutAudioOutput : public AudioOutput {
public:
    // Frames per device buffer, and how many are queued: what is buffered
    // between the program and the speaker is bufferFrames * (bufferCount - 1).
    static constexpr int bufferFrames = 1024;
    static constexpr int bufferCount = 4;

    // The feeding thread asks the device where it is at least this often;
    // in between, and between the device's own updates, the time since the
    // count last moved is added.
    static constexpr DWORD pollMilliseconds = 20;
    // No more than this is added on the time since the device last moved.
    static constexpr double maxInterpolationSeconds = 0.05;

    // Opens the default device at 44.1 kHz stereo 16-bit; throws
    // std::runtime_error with waveOut's reason when there is none.
    WaveOutAudioOutput();
    // Stops the feeding thread, then the device, then closes it; a device
    // that does not close within a second is left behind.
    ~WaveOutAudioOutput() override;
    WaveOutAudioOutput(const WaveOutAudioOutput&) = delete;
    WaveOutAudioOutput& operator=(const WaveOutAudioOutput&) = delete;

    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    // Main thread only: it is also where a lost device is noticed, after
    // which the tune's time goes on silently from where it was.
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    using Clock = PlaybackCursor::Clock;

    // Fills a played buffer with what comes next and queues it again; false
    // when the device refuses it.
    bool requeue(WAVEHDR& header);
    void feed();
    // Frames played since the device was last reset, or why it cannot say.
    const char* devicePlayed(double& frames) const;
    // Feeding thread: reads the device's count into polled_.
    void poll();
    // After start, a seek or a resume: the position starts afresh from `from`.
    void restartFrom(double from);

    // The device's buffers, held apart: a device that never lets go of them
    // outlives the output.
    struct Buffers {
        std::array<std::array<std::int16_t, bufferFrames * channels>, bufferCount> samples{};
        std::array<WAVEHDR, bufferCount> headers{};
    };

    PlaybackCursor cursor_{sampleRate};
    HWAVEOUT device_ = nullptr;
    HANDLE played_ = nullptr; // signalled by the device as each buffer is done
    std::unique_ptr<Buffers> buffers_ = std::make_unique<Buffers>();
    // Keeps seek() and the feeding thread from filling buffers at once.
    std::mutex filling_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> refused_{false}; // waveOutWrite failed on the feeding thread
    std::thread feeder_;
    bool started_ = false;
    bool paused_ = false;
    // The tune's frame at which the device's count last started from 0.
    double base_ = 0.0;

    // The device's count as the feeding thread last read it. A read begun
    // before a restart (a seek or the start) is dropped: `generation`
    // counts the restarts.
    struct Polled {
        double frames = 0.0;
        Clock::time_point at{};
        const char* gone = nullptr;
        unsigned generation = 0;
    };
    mutable std::mutex polling_;
    Polled polled_;

    // What position() last read and returned; main thread only.
    mutable double deviceFrames_ = 0.0;
    mutable Clock::time_point movedAt_{}; // when the device's count was seen to change
    mutable double returned_ = 0.0;
    mutable LostDeviceClock lost_;
};

} // namespace Sorva
