// Plays the tune on the default sound device through SDL's audio callback.
#pragma once

#include "sync/AudioOutput.h"
#include "sync/LostDeviceClock.h"
#include "sync/PlaybackCursor.h"

#include <SDL2/SDL.h>

namespace Sorva {

class SdlAudioOutput : public AudioOutput {
public:
    // Device buffer asked for, in frames: small, so that little is buffered
    // between the callback and the speaker. The device may pick another.
    static constexpr int bufferFrames = 512;

    // Opens the default device, paused, at 44.1 kHz stereo 16-bit; throws
    // std::runtime_error carrying SDL's reason when there is none.
    SdlAudioOutput();
    // Closes the device, which waits for a running callback to return, or
    // gives up on it after a second.
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    // Main thread only: it is also where a lost device is noticed, after
    // which the tune's time goes on silently from where it was.
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    static void SDLCALL feed(void* cursor, Uint8* stream, int bytes);

    // Held apart from the output: a device that never lets go outlives it.
    std::unique_ptr<PlaybackCursor> cursor_ = std::make_unique<PlaybackCursor>(sampleRate);
    SDL_AudioDeviceID device_ = 0;
    bool started_ = false;
    bool paused_ = false;
    // Takes over, once and for good, when position() finds the device lost.
    mutable LostDeviceClock lost_;
    // Lost while its driver still holds it: it is left behind, not closed.
    mutable bool stalled_ = false;
};

} // namespace Sorva
