// Plays a Song through the instruments and effects: streams the mixed,
// limited stereo tune frame by frame, from the start or from any frame.
#pragma once

#include "tools/tune/DrumVoice.h"
#include "tools/tune/Limiter.h"
#include "tools/tune/Reverb.h"
#include "tools/tune/Song.h"
#include "tools/tune/StereoDelay.h"
#include "tools/tune/Svf.h"
#include "tools/tune/SynthVoice.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Sorva::Tune {

class TuneRenderer {
public:
    // True-peak ceiling of the output: -2.6 dBTP, so that the decoded MP3,
    // whose peaks grow a little in encoding, still stays under -1 dBTP.
    static constexpr float ceiling = 0.74f;
    // Started after the beginning, the renderer first plays this many frames
    // unheard so that held notes and echoes are already sounding.
    static constexpr int64_t preroll = 4 * 32 * 2525;

    // Prepares to render from frame begin.
    TuneRenderer(const Song& song, int64_t begin = 0);
    TuneRenderer(const TuneRenderer&) = delete;
    TuneRenderer& operator=(const TuneRenderer&) = delete;

    // The next n frames, interleaved stereo, within [-ceiling, ceiling].
    void render(float* interleaved, int64_t n);
    // Convenience: frames [begin, begin + count) of a fresh render.
    static std::vector<float> renderRange(const Song& song, int64_t begin, int64_t count);

    // Lowest gain the master limiter applied so far.
    float limiterMinGain() const { return limiter_.minGain(); }

private:
    static constexpr int block = 64;
    enum Bus { PadBus, ArpBus, BassBus, LeadBus, DryDrums, WetDrums, busCount };

    // Synthesises, mixes and limits the next n <= block frames at pos_.
    void synthesise(float* l, float* r, int n);
    void spawn(const NoteEvent& event, size_t index, int offset, int n);

    const Song& song_;
    int64_t pos_;
    size_t next_ = 0;
    std::vector<SynthVoice> synths_[busCount];
    std::vector<DrumVoice> drums_[busCount];
    std::array<std::array<float, block>, busCount> busL_{};
    std::array<std::array<float, block>, busCount> busR_{};
    std::vector<int64_t> kicks_;
    int64_t lastKick_ = -1000000;
    StereoDelay delay_;
    Reverb reverb_;
    Svf dcL_;
    Svf dcR_;
    Svf lowPassL_;
    Svf lowPassR_;
    Limiter limiter_;
};

} // namespace Sorva::Tune
