// The waveOut device, the thread that keeps its buffers full, and its release.
#include "sync/WaveOutAudioOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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
    std::array<WAVEHDR, bufferCount>& headers = buffers_->headers;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        headers[i].lpData = reinterpret_cast<LPSTR>(buffers_->samples[i].data());
        headers[i].dwBufferLength = sizeof buffers_->samples[i];
        const MMRESULT prepared = waveOutPrepareHeader(device_, &headers[i], sizeof(WAVEHDR));
        if (prepared != MMSYSERR_NOERROR) {
            for (std::size_t j = 0; j < i; ++j)
                waveOutUnprepareHeader(device_, &headers[j], sizeof(WAVEHDR));
            waveOutClose(device_);
            CloseHandle(played_);
            throw std::runtime_error(waveOutError("waveOutPrepareHeader", prepared));
        }
    }
}

WaveOutAudioOutput::~WaveOutAudioOutput() {
    stopping_ = true;
    SetEvent(played_);
    if (feeder_.joinable())
        feeder_.join();
    // A device stuck in its driver may never come back from these: it is
    // left behind, with the buffers and event it may still use, when it does
    // not within a second. The process is ending anyway. One given up on
    // while it stalled is closed all the same when it has come back: left
    // open, wine's driver has been seen to crash the process as it ends.
    const bool closed = LostDeviceClock::closeWithin(
        std::chrono::seconds(1), [device = device_, buffers = buffers_.get()] {
            waveOutReset(device);
            for (WAVEHDR& header : buffers->headers)
                waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
            waveOutClose(device);
        });
    if (closed) {
        CloseHandle(played_);
    } else {
        static_cast<void>(buffers_.release());
    }
}

void WaveOutAudioOutput::setTune(std::span<const std::int16_t> samples) {
    // Before start(): the feeding thread does not run yet.
    cursor_.setTune(samples);
    lost_.setTune(samples);
}

bool WaveOutAudioOutput::requeue(WAVEHDR& header) {
    cursor_.fill(reinterpret_cast<std::int16_t*>(header.lpData), bufferFrames, Clock::now());
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    return waveOutWrite(device_, &header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

void WaveOutAudioOutput::start() {
    if (started_)
        return;
    started_ = true;
    {
        const std::lock_guard lock(filling_);
        for (WAVEHDR& header : buffers_->headers)
            if (!requeue(header))
                refused_ = true;
    }
    restartFrom(0.0);
    feeder_ = std::thread(&WaveOutAudioOutput::feed, this);
}

void WaveOutAudioOutput::feed() {
    // Woken as each buffer is done, and at least every 20 ms to read the
    // device's count and see whether it should stop: the device is never
    // waited on for longer.
    while (!stopping_ && !refused_) {
        WaitForSingleObject(played_, pollMilliseconds);
        {
            const std::lock_guard lock(filling_);
            for (WAVEHDR& header : buffers_->headers) {
                if (!stopping_ && (header.dwFlags & WHDR_DONE) && !requeue(header)) {
                    refused_ = true;
                    break;
                }
            }
        }
        poll();
    }
}

void WaveOutAudioOutput::poll() {
    unsigned generation = 0;
    {
        const std::lock_guard lock(polling_);
        generation = polled_.generation;
    }
    double frames = 0.0;
    const char* gone = devicePlayed(frames);
    const Clock::time_point at = Clock::now();
    const std::lock_guard lock(polling_);
    if (polled_.generation != generation)
        return;
    if (!gone)
        polled_.frames = frames;
    polled_.gone = gone;
    polled_.at = at;
}

void WaveOutAudioOutput::restartFrom(double from) {
    base_ = from;
    returned_ = from;
    deviceFrames_ = 0.0;
    movedAt_ = Clock::now();
    {
        const std::lock_guard lock(polling_);
        polled_ = Polled{0.0, movedAt_, nullptr, polled_.generation + 1};
    }
    lost_.expectLife(movedAt_);
}

const char* WaveOutAudioOutput::devicePlayed(double& frames) const {
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR)
        return "it went away";
    if (time.wType == TIME_SAMPLES)
        frames = static_cast<double>(time.u.sample);
    else if (time.wType == TIME_BYTES)
        frames = static_cast<double>(time.u.cb) / (channels * sizeof(std::int16_t));
    else
        return "it cannot tell where it is";
    return nullptr;
}

double WaveOutAudioOutput::position() const {
    if (lost_.active())
        return lost_.position();
    if (!started_)
        return 0.0;
    const Clock::time_point now = Clock::now();
    Polled seen;
    {
        const std::lock_guard lock(polling_);
        seen = polled_;
    }
    const char* gone = refused_ ? "it refused the sound" : seen.gone;
    if (!gone && seen.frames != deviceFrames_) {
        deviceFrames_ = seen.frames;
        movedAt_ = seen.at;
    }
    double at = base_ + deviceFrames_;
    if (!paused_) {
        // The device's count moves in steps of its own; between them the
        // sound goes on at the sample rate.
        const double since = std::chrono::duration<double>(now - movedAt_).count();
        at += std::min(since, maxInterpolationSeconds) * sampleRate;
    }
    returned_ = std::clamp(at, returned_, static_cast<double>(cursor_.tuneFrames()));
    if (const char* why = lost_.lostBecause(now, movedAt_, !paused_, gone)) {
        cursor_.mute();
        lost_.takeOver(returned_, why, paused_);
    }
    return returned_;
}

void WaveOutAudioOutput::seek(double frames) {
    if (lost_.active()) {
        lost_.seek(frames);
        return;
    }
    const auto to = static_cast<std::int64_t>(
        std::clamp(frames, 0.0, static_cast<double>(cursor_.tuneFrames())));
    const std::lock_guard lock(filling_);
    // Hands every queued buffer back, marked done, and counts from 0 again;
    // the buffers are refilled from `to`.
    waveOutReset(device_);
    cursor_.seek(to, Clock::now());
    if (!started_)
        return;
    for (WAVEHDR& header : buffers_->headers)
        if (!requeue(header))
            refused_ = true;
    restartFrom(static_cast<double>(to));
}

void WaveOutAudioOutput::setPaused(bool paused) {
    if (lost_.active()) {
        lost_.setPaused(paused);
        return;
    }
    if (!started_ || paused == paused_)
        return;
    // The device's count holds while paused; position() adds no time then,
    // and never reads less than it did.
    if (paused)
        waveOutPause(device_);
    else
        waveOutRestart(device_);
    paused_ = paused;
    movedAt_ = Clock::now();
    lost_.expectLife(movedAt_);
}

} // namespace Sorva
