// The music clock: decoded tune, audio output, and rows from the play position.
#include "sync/MusicClock.h"

#include "sync/Rexception.h"
#include "sync/TuneDecoder.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace Sorva {

MusicClock& MusicClock::instance() {
    static MusicClock clock;
    return clock;
}

MusicClock::MusicClock(OutputFactory openOutput) : openOutput_(std::move(openOutput)) {}

MusicClock::~MusicClock() {
    // The audio thread reads samples_ until its device is closed.
    output_.reset();
}

void MusicClock::open(const char* path, double bpm) {
    open(path, bpm, openOutput_ ? openOutput_() : nullptr);
}

void MusicClock::open(const char* path, double bpm, std::unique_ptr<AudioOutput> output) {
    output_ = std::move(output);
    if (!output_)
        throw Rexception("Fial! BASS!");

    std::string why;
    auto tune = decodeTune(path, &why);
    if (tune) {
        samples_ = std::move(*tune);
        output_->setTune(samples_);
    }
    rowsPerSecond_ = bpm / 60.0 * 8.0;
    if (!tune) {
        // The exception's text is fixed; this line says which file and why.
        std::fprintf(stderr, "Cannot open tune %s: %s\n", path, why.c_str());
        throw Rexception("Failed to open tune.");
    }
}

void MusicClock::start() {
    if (output_)
        output_->start();
}

double MusicClock::row() const {
    if (!output_)
        return 0.0;
    const double seconds = frames() / AudioOutput::sampleRate;
    return seconds * rowsPerSecond_;
}

double MusicClock::pictureRow() const {
    if (!output_)
        return 0.0;
    double at = frames();
    // Before the first sound there is nothing to lead.
    if (!paused_ && leadSeconds_ > 0.0 && at > 0.0)
        at = std::min(at + leadSeconds_ * AudioOutput::sampleRate,
                      std::max(at, static_cast<double>(tuneFrames())));
    return at / AudioOutput::sampleRate * rowsPerSecond_;
}

double MusicClock::frames() const {
    if (paused_)
        return heldFrames_;
    const double position = output_->position();
    return position < seekFloor_ ? seekFloor_ : position;
}

void MusicClock::seek(double row) {
    if (!output_ || rowsPerSecond_ <= 0.0)
        return;
    const double to = std::clamp(row / framesToRows(), 0.0, static_cast<double>(tuneFrames()));
    output_->seek(to);
    seekFloor_ = to;
    heldFrames_ = to;
}

void MusicClock::setPaused(bool paused) {
    if (!output_ || paused == paused_)
        return;
    if (paused) {
        heldFrames_ = frames();
        output_->setPaused(true);
    } else {
        // The sound goes on from exactly where the picture held.
        output_->seek(heldFrames_);
        seekFloor_ = heldFrames_;
        output_->setPaused(false);
    }
    paused_ = paused;
}

} // namespace Sorva
