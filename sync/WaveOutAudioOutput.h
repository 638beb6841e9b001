// Plays the tune on Windows' default sound device through waveOut: a few
// buffers queued on the device, refilled by a thread of its own as each is
// played.
#pragma once

#include "sync/AudioOutput.h"
#include "sync/PlaybackCursor.h"

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

namespace Sorva {

class WaveOutAudioOutput : public AudioOutput {
public:
    // Frames per device buffer, and how many are queued: what is buffered
    // between the program and the speaker is bufferFrames * (bufferCount - 1).
    static constexpr int bufferFrames = 1024;
    static constexpr int bufferCount = 4;

    // Opens the default device at 44.1 kHz stereo 16-bit; throws
    // std::runtime_error with waveOut's reason when there is none.
    WaveOutAudioOutput();
    // Stops the feeding thread, then the device, then closes it.
    ~WaveOutAudioOutput() override;
    WaveOutAudioOutput(const WaveOutAudioOutput&) = delete;
    WaveOutAudioOutput& operator=(const WaveOutAudioOutput&) = delete;

    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    // Fills a played buffer with what comes next and queues it again.
    void requeue(WAVEHDR& header);
    void feed();

    PlaybackCursor cursor_{sampleRate};
    HWAVEOUT device_ = nullptr;
    HANDLE played_ = nullptr; // signalled by the device as each buffer is done
    std::array<std::array<std::int16_t, bufferFrames * channels>, bufferCount> samples_{};
    std::array<WAVEHDR, bufferCount> headers_{};
    // Keeps seek() and the feeding thread from filling buffers at once.
    std::mutex filling_;
    std::atomic<bool> stopping_{false};
    std::thread feeder_;
    bool started_ = false;
};

} // namespace Sorva
