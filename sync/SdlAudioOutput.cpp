// SDL audio device setup, the callback that feeds it, and its release.
#include "sync/SdlAudioOutput.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Sorva {

namespace {

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, alsa-lib prints a screenful while SDL probes it; the
// reason that matters comes back through SDL_GetError() anyway.
struct QuietAlsa {
    QuietAlsa() { snd_lib_error_set_handler(&ignoreAlsaError); }
    ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
};

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::openDevice() {
    try {
        return std::make_unique<SdlAudioOutput>();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(std::string("SDL: ") + e.what());
    }
}

SdlAudioOutput::SdlAudioOutput() {
    const QuietAlsa quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw std::runtime_error(SDL_GetError());

    // The dummy and disk drivers consume audio at their own pace, not the
    // listener's; a position taken from them would not be real time.
    const std::string_view driver = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "";
    if (driver == "dummy" || driver == "disk") {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw std::runtime_error("driver \"" + std::string(driver) +
                                 "\" does not play in real time");
    }

    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = channels;
    want.samples = bufferFrames;
    want.callback = &SdlAudioOutput::feed;
    want.userdata = cursor_.get();
    SDL_AudioSpec have{};
    // SDL converts rate, format and channels to whatever the device really
    // runs, but takes the device's own buffer size, so that `have` reports it
    // instead of echoing the request over an extra conversion buffer.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device_ == 0) {
        std::string why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw std::runtime_error(why);
    }
    // A buffer requested now is heard after the one the device is playing.
    // SDL2 has no latency query for callback audio, so that one buffer is
    // all that is taken off: a lower bound, as the driver may queue more.
    cursor_->setBufferedFrames(have.samples);
}

SdlAudioOutput::~SdlAudioOutput() {
    // Closing waits for the device's thread, which a device stuck in its
    // driver (a suspended sound server) never lets go: such a device is left
    // behind, muted, with the cursor it may still call back into. The
    // process is ending anyway.
    cursor_->mute();
    const bool closed =
        !stalled_ && LostDeviceClock::closeWithin(std::chrono::seconds(1), [device = device_] {
            SDL_CloseAudioDevice(device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        });
    if (!closed)
        static_cast<void>(cursor_.release());
}

void SdlAudioOutput::setTune(std::span<const std::int16_t> samples) {
    // The device is still paused, so the callback is not running; unpausing
    // takes the device lock, which publishes the tune to the audio thread.
    cursor_->setTune(samples);
    lost_.setTune(samples);
}

void SdlAudioOutput::start() {
    if (started_)
        return;
    started_ = true;
    lost_.expectLife(PlaybackCursor::Clock::now());
    SDL_PauseAudioDevice(device_, 0);
}

double SdlAudioOutput::position() const {
    if (lost_.active())
        return lost_.position();
    const auto now = PlaybackCursor::Clock::now();
    const double at = cursor_->position(now);
    // Once disconnected, SDL goes on calling back on its own timer, so a
    // removed device is told by its status, a stalled one by its silence.
    const bool gone = SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
    if (const char* why = lost_.lostBecause(now, cursor_->lastFill(), started_ && !paused_,
                                            gone ? "it went away" : nullptr)) {
        // A device that went away has let go of its thread; a stalled one
        // may never, and is left behind at the end.
        stalled_ = !gone;
        cursor_->mute();
        lost_.takeOver(at, why, paused_);
        return lost_.position();
    }
    return at;
}

void SdlAudioOutput::seek(double frames) {
    if (lost_.active()) {
        lost_.seek(frames);
        return;
    }
    const auto to = static_cast<std::int64_t>(
        std::clamp(frames, 0.0, static_cast<double>(cursor_->tuneFrames())));
    // The lock keeps the callback out while the cursor moves.
    SDL_LockAudioDevice(device_);
    cursor_->seek(to, PlaybackCursor::Clock::now());
    SDL_UnlockAudioDevice(device_);
    lost_.expectLife(PlaybackCursor::Clock::now());
}

void SdlAudioOutput::setPaused(bool paused) {
    if (lost_.active()) {
        lost_.setPaused(paused);
        return;
    }
    if (!started_)
        return;
    SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    paused_ = paused;
    lost_.expectLife(PlaybackCursor::Clock::now());
}

void SDLCALL SdlAudioOutput::feed(void* cursor, Uint8* stream, int bytes) {
    const int frames = bytes / static_cast<int>(channels * sizeof(std::int16_t));
    static_cast<PlaybackCursor*>(cursor)->fill(reinterpret_cast<std::int16_t*>(stream), frames,
                                               PlaybackCursor::Clock::now());
}

} // namespace Sorva
