// Plays the tune on the default sound device through SDL's audio callback.
#pragma once

#include "sync/AudioOutput.h"
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
    // Closes the device, which waits for a running callback to return.
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    void setTune(std::span<const std::int16_t> samples) override;
    void start() override;
    double position() const override;
    void seek(double frames) override;
    void setPaused(bool paused) override;

private:
    static void SDLCALL feed(void* self, Uint8* stream, int bytes);

    PlaybackCursor cursor_{sampleRate};
    SDL_AudioDeviceID device_ = 0;
    bool started_ = false;
};

} // namespace Sorva
