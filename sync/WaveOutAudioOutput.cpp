// The waveOut device, the thread that keeps its buffers full, and its release.
#include "sync/WaveOutAudioOutput.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Sorva {

namespace {

std::string waveOutError(const char* call, MMRESULT code) {
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR || !*text)
        std::snprintf(text, sizeof text, "error");
    return std::string("waveOut: ") + call + ": " + text + " (" + std::to_string(code) + ")";
}

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::openDevice() {
    return std::make_unique<WaveOutAudioOutput>();
}

WaveOutAudioOutput::WaveOutAudioOutput() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = channels * sizeof(std::int16_t);
    format.nAvgBytesPerSec = sampleRate * format.nBlockAlign;
    played_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!played_)
        throw std::runtime_error("waveOut: cannot create an event");
    const MMRESULT opened = waveOutOpen(&device_, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(played_), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        CloseHandle(played_);
        throw std::runtime_error(waveOutError("waveOutOpen", opened));
    }
    // Nothing plays until start() queues the buffers.
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
        headers_[i].dwBufferLength = sizeof samples_[i];
        waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    }
    // When a buffer is asked for, the others are still queued ahead of it.
    cursor_.setBufferedFrames(bufferFrames * (bufferCount - 1));
}

WaveOutAudioOutput::~WaveOutAudioOutput() {
    stopping_ = true;
    SetEvent(played_);
    if (feeder_.joinable())
        feeder_.join();
    waveOutReset(device_);
    for (WAVEHDR& header : headers_)
        waveOutUnprepareHeader(device_, &header, sizeof(WAVEHDR));
    waveOutClose(device_);
    CloseHandle(played_);
}

void WaveOutAudioOutput::setTune(std::span<const std::int16_t> samples) {
    // Before start(): the feeding thread does not run yet.
    cursor_.setTune(samples);
}

void WaveOutAudioOutput::requeue(WAVEHDR& header) {
    cursor_.fill(reinterpret_cast<std::int16_t*>(header.lpData), bufferFrames,
                 PlaybackCursor::Clock::now());
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(device_, &header, sizeof(WAVEHDR));
}

void WaveOutAudioOutput::start() {
    if (started_)
        return;
    started_ = true;
    {
        const std::lock_guard lock(filling_);
        for (WAVEHDR& header : headers_)
            requeue(header);
    }
    feeder_ = std::thread(&WaveOutAudioOutput::feed, this);
}

void WaveOutAudioOutput::feed() {
    while (!stopping_) {
        WaitForSingleObject(played_, INFINITE);
        const std::lock_guard lock(filling_);
        for (WAVEHDR& header : headers_) {
            if (!stopping_ && (header.dwFlags & WHDR_DONE))
                requeue(header);
        }
    }
}

double WaveOutAudioOutput::position() const {
    return cursor_.position(PlaybackCursor::Clock::now());
}

void WaveOutAudioOutput::seek(double frames) {
    const auto to = static_cast<std::int64_t>(
        std::clamp(frames, 0.0, static_cast<double>(cursor_.tuneFrames())));
    const std::lock_guard lock(filling_);
    // Hands every queued buffer back, marked done; they are refilled from `to`.
    waveOutReset(device_);
    cursor_.seek(to, PlaybackCursor::Clock::now());
    if (!started_)
        return;
    for (WAVEHDR& header : headers_)
        requeue(header);
}

void WaveOutAudioOutput::setPaused(bool paused) {
    if (!started_)
        return;
    if (paused)
        waveOutPause(device_);
    else
        waveOutRestart(device_);
}

} // namespace Sorva
