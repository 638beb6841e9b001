// The transport of edit mode: pause and play, seeks by beat, bar and phrase,
// back to the start, and a loop over the current 8-bar phrase, all on the
// music clock, so that music and picture move together.
#pragma once

#include "sync/MusicClock.h"

#include <cstddef>

namespace Sorva {

class Transport {
public:
    static constexpr double beatRows = 8.0;
    static constexpr double barRows = 32.0;
    static constexpr double phraseRows = 256.0;

    explicit Transport(MusicClock& clock) : clock_(clock) {}

    // A key pressed in the window (GLFW key code and modifier bits): P pause
    // and play, Left and Right a beat (with Shift a bar), Page Up and Page
    // Down a phrase, Home row 0, L loop on and off. Returns whether it was
    // one of them.
    bool keyPressed(int key, int mods);
    // Once a frame: brings a loop that has played past its end back to its start.
    void update();

    // Moves to the row, within the tune; a loop moves to the row's phrase.
    void seek(double row);
    void setPaused(bool paused) { clock_.setPaused(paused); }
    void setLooping(bool looping);

    double row() const { return clock_.row(); }
    bool paused() const { return clock_.paused(); }
    bool looping() const { return looping_; }
    double loopStart() const { return loopStart_; }

    // One line saying where the transport is, e.g. "row 264.00 (bar 8 beat
    // 1), paused, looping rows 256-512"; written into `out`.
    void describe(char* out, std::size_t size) const;

private:
    static double phraseOf(double row);

    MusicClock& clock_;
    bool looping_ = false;
    double loopStart_ = 0.0;
};

} // namespace Sorva
