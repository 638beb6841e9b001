// ADSR envelope: linear attack, exponential decay and release, so notes start
// and stop without clicks.
#pragma once

namespace Sorva::Tune {

class Envelope {
public:
    // Times in seconds; sustain is a level in [0, 1].
    Envelope(float attack, float decay, float sustain, float release, float sampleRate);

    float next();
    // Enters the release stage from the current level.
    void release();
    bool released() const { return stage_ == Stage::Release || stage_ == Stage::Done; }
    // True once the release has faded below audibility.
    bool done() const { return stage_ == Stage::Done; }
    float level() const { return level_; }

private:
    enum class Stage { Attack, Decay, Release, Done };
    Stage stage_ = Stage::Attack;
    float level_ = 0.0f;
    float attackStep_;
    float decayCoef_;
    float sustain_;
    float releaseCoef_;
};

inline float Envelope::next() {
    switch (stage_) {
    case Stage::Attack:
        level_ += attackStep_;
        if (level_ >= 1.0f) {
            level_ = 1.0f;
            stage_ = Stage::Decay;
        }
        break;
    case Stage::Decay:
        level_ = sustain_ + (level_ - sustain_) * decayCoef_;
        break;
    case Stage::Release:
        level_ *= releaseCoef_;
        if (level_ < 1.0e-4f /* -80 dB */) {
            level_ = 0.0f;
            stage_ = Stage::Done;
        }
        break;
    case Stage::Done:
        break;
    }
    return level_;
}

} // namespace Sorva::Tune
