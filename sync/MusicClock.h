// The tune and the demo's only time base: the playback position in rows.
#pragma once

namespace Sorva {

class MusicClock {
public:
    // The one clock of the process, created unopened on first call.
    static MusicClock& instance();

    // Decodes the tune and prepares the audio output; throws Rexception
    // ("Fial! BASS!" or "Failed to open tune.") when that is impossible.
    void open(const char* path, double bpm);
    // Starts playback from the beginning.
    void start();
    // Playback position in rows: seconds * bpm / 60 * 8. 0 before start.
    double row() const;

private:
    double rowsPerSecond_ = 0.0;
};

} // namespace Sorva
