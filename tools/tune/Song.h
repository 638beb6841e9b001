// The tune as notes: tempo and length, the section table, every note and hit
// of the arrangement, and the automation (filter sweeps, ducking, fade).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Sorva::Tune {

enum class Instrument {
    Pad,
    Arp,
    Bass,
    Lead,
    Kick,
    Snare,
    Clap,
    ClosedHat,
    OpenHat,
    Shaker,
    Tom,
    Crash,
    Riser,
    Boom
};

struct NoteEvent {
    double row;    // start, in rows (8 per beat) from the beginning
    double length; // gate, in rows
    Instrument instrument;
    float midi; // pitch as a MIDI note number
    float velocity;
    float pan; // -1 left .. 1 right
};

// A drum fill leading into the next section: which drums, and where it ends.
struct Fill {
    double row;
    double endRow;
    std::string style; // "snare", "toms" or "roll" (snare, then toms)
};

struct Section {
    int bar; // first bar, counted from 0
    int bars;
    std::string name;
    std::string plays;
};

// Slowly moving mix parameters at one point of the tune.
struct Automation {
    float padCutoff;    // Hz
    float arpCutoff;    // Hz
    float duckDepth;    // how far a kick pushes pads, arp and bass down, 0..1
    float masterCutoff; // low-pass over the whole mix, Hz (0: open)
    float drive;        // gain into the limiter: the section's loudness
    float master;       // after the limiter: the gap before the drop and the end, 0..1
};

class Song {
public:
    static constexpr double bpm = 131.0;
    static constexpr int rowsPerBeat = 8;
    static constexpr int rowsPerBar = 32;
    static constexpr int bars = 98;
    static constexpr int sampleRate = 44100;
    static constexpr double framesPerRow = sampleRate * 60.0 / (bpm * rowsPerBeat);

    // Length of the tune: 98 bars, rounded to the nearest frame.
    static int64_t totalFrames();
    // First frame at or after a row (rounded to the nearest frame).
    static int64_t frameAt(double row);
    static const std::vector<Section>& sections();
    // The silent beat before the drop: [gapRow, dropRow).
    static constexpr double gapRow = 63 * 32.0 + 24.0;
    static constexpr double dropRow = 64 * 32.0;
    // The last chord fades out by this row; from here on the tune is digital silence.
    static constexpr double endRow = 97 * 32.0 + 24.0;

    // Composes the arrangement; throws std::invalid_argument on a malformed phrase.
    Song();

    // Keeps only the events for which keep is true: renders single instruments.
    void filter(const std::function<bool(const NoteEvent&)>& keep);

    // Every note and hit, ordered by start row.
    const std::vector<NoteEvent>& events() const { return events_; }
    // The drum fills, ordered by start row.
    const std::vector<Fill>& fills() const { return fills_; }
    Automation automationAt(double row) const;

private:
    std::vector<NoteEvent> events_;
    std::vector<Fill> fills_;
};

} // namespace Sorva::Tune
