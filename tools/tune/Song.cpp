// The arrangement of the show's tune: A minor, 131 BPM, 4/4, 98 bars.
//
// Sections start on bar lines (rows = bar * 32, seconds = rows / (131 * 8 / 60)):
//
// clang-format off
//   #  bar   row  seconds  section    what plays
//   1    0     0     0.00  intro      pads alone on Am9 - F - G, low-pass opening from dark
//   2    8   256    14.66  arp        pads + plucked arpeggio whose filter opens
//   3   16   512    29.31  beat       + kick and off-beat hats, the clap from bar 20, snare fill
//   4   24   768    43.97  groove     + bass on i-VI-iv-V, 16th hats, ghost snares, tom fill
//   5   32  1024    58.63  theme      + lead melody with ping-pong delay, open-hat lifts
//   6   40  1280    73.28  answer     new melody on VI-VII-v-i, open hats, shaker
//   7   48  1536    87.94  breakdown  pads and slow lead only, no drums, no bass
//   8   56  1792   102.60  build-up   half-time, the mix low-passed; snare roll, riser; a silent beat
//   9   64  2048   117.25  drop       everything; its own lead on i-III-VII-IV, a chord per bar, boom in
//  10   72  2304   131.91  drop 2     a tone up in B minor: new lead, octave-doubled; toms, pickup claps
//  11   80  2560   146.56  break 2    no kick or clap: down in thirds back to A minor, Bb to E7; hats, toms
//  12   88  2816   161.22  outro      theme's opening and close on i-VI-iv-V, full beat, tom fill
//  13   96  3072   175.88  ring-out   the last hit: A major chord, crash, kick and boom, fading out
// clang-format on
//
// The last chord has faded out at row 3128 (bar 97.75, 179.08 s); the tune
// ends at bar 98 (row 3136, 179.54 s).
//
// Chords: the main progression Am9 - Fmaj9 - Cadd9 - G6/9 (i-VI-III-VII, two
// bars each) carries the arp, beat and theme sections; the groove's carries
// the outro too; every other section has its own (see the progressions below).
#include "tools/tune/Song.h"

#include "tools/tune/Rng.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace Sorva::Tune {

namespace {

constexpr int stepRows = 2; // a 16th note
constexpr int beatRows = 8; // a quarter note
constexpr int barSteps = 16;
constexpr int sectionBars = 8;

struct Chord {
    int root;                 // pitch class of the bass note, C = 0
    std::array<int, 5> notes; // the pad's voicing, as MIDI notes
};

constexpr Chord Am9{9, {57, 60, 64, 67, 71}};
constexpr Chord Fmaj9{5, {53, 57, 60, 64, 67}};
constexpr Chord Cadd9{0, {52, 55, 60, 62, 67}};
constexpr Chord G69{7, {55, 59, 62, 64, 69}};
constexpr Chord Em7{4, {52, 55, 59, 62, 67}};
constexpr Chord Dm9{2, {50, 53, 57, 60, 64}};
constexpr Chord Esus4{4, {52, 57, 59, 62, 64}};
constexpr Chord E7{4, {52, 56, 59, 62, 64}};
constexpr Chord Cmaj7{0, {52, 55, 60, 64, 71}};
// Outside A minor: the Dorian IV (its F# the first), the way into B minor,
// B minor's own chords, the Neapolitan Bb and the final A major.
constexpr Chord D69{2, {54, 57, 62, 64, 69}};
constexpr Chord Fs7{6, {54, 58, 61, 64, 66}};
constexpr Chord Fs7sus4{6, {54, 59, 61, 64, 66}};
constexpr Chord Bm9{11, {59, 62, 66, 69, 73}};
constexpr Chord Em9{4, {52, 55, 59, 62, 66}};
constexpr Chord Amaj{9, {52, 57, 61, 64, 69}};
constexpr Chord Dmaj9{2, {50, 54, 57, 61, 64}};
constexpr Chord Gmaj9{7, {55, 59, 62, 66, 69}};
constexpr Chord Bbmaj7{10, {50, 53, 58, 62, 69}};
constexpr Chord Aadd9{9, {57, 61, 64, 69, 71}};

struct Span {
    const Chord* chord;
    int beats;
};
using Progression = std::vector<Span>; // 8 bars, 32 beats

// Progressions, 8 bars each.
const Progression introProgression = {{&Am9, 16}, {&Fmaj9, 8}, {&G69, 8}};
const Progression mainProgression = {{&Am9, 8}, {&Fmaj9, 8}, {&Cadd9, 8}, {&G69, 8}};
// i-VI-iv-V: the bass's entry pulls back home through E.
const Progression grooveProgression = {{&Am9, 8}, {&Fmaj9, 8}, {&Dm9, 8}, {&Esus4, 4}, {&E7, 4}};
// VI-VII-v-i: the answer starts away from home and returns.
const Progression answerProgression = {{&Fmaj9, 8}, {&G69, 8}, {&Em7, 8}, {&Am9, 8}};
// VI-VII-v-III-iv-VII-VI-V: the breakdown turns to the relative major for a bar.
const Progression breakProgression = {{&Fmaj9, 4}, {&G69, 4},   {&Em7, 4},   {&Cadd9, 4}, {&Dm9, 4},
                                      {&G69, 4},   {&Fmaj9, 4}, {&Esus4, 2}, {&E7, 2}};
const Progression buildProgression = {{&Fmaj9, 8}, {&G69, 8}, {&Fmaj9, 8}, {&G69, 4}, {&E7, 4}};
// i-III-VII-IV, a chord per bar, the Dorian IV brightening it; the last bar
// turns to F#7 and leads drop 2 a tone up.
const Progression dropProgression = {{&Am9, 4}, {&Cadd9, 4}, {&G69, 4}, {&D69, 4},
                                     {&Am9, 4}, {&Cadd9, 4}, {&G69, 4}, {&Fs7, 4}};
// In B minor, round the circle of fifths: i-iv-VII-III-VI-iv-V.
const Progression drop2Progression = {{&Bm9, 4},   {&Em9, 4}, {&Amaj, 4},    {&Dmaj9, 4},
                                      {&Gmaj9, 4}, {&Em9, 4}, {&Fs7sus4, 4}, {&Fs7, 4}};
// Down in thirds from G, B minor's VI and A minor's VII, home to A minor,
// then through the Neapolitan Bb to E7.
const Progression returnProgression = {{&Gmaj9, 4},  {&Em9, 4},   {&Cmaj7, 4},
                                       {&Am9, 4},    {&Fmaj9, 4}, {&Dm9, 4},
                                       {&Bbmaj7, 4}, {&Esus4, 2}, {&E7, 2}};

// Melodies: "note:16ths" tokens, "-" for a rest, "|" between bars of 16 steps.
const char* const mainTheme = "E5:6 D5:2 C5:2 D5:2 E5:4 | A4:8 -:4 C5:2 D5:2 |"
                              "E5:6 F5:2 E5:2 D5:2 C5:4 | A4:12 C5:2 E5:2 |"
                              "G5:6 E5:2 D5:2 C5:2 D5:4 | E5:8 C5:2 D5:2 E5:2 G5:2 |"
                              "D5:6 B4:2 D5:2 E5:2 D5:4 | B4:8 D5:4 E5:4";
// Over the answer progression; it climbs to C6 and lands on A.
const char* const answerTheme = "A5:4 G5:2 E5:4 C5:2 E5:4 | F5:6 E5:2 C5:8 |"
                                "B5:4 A5:2 G5:4 D5:2 E5:2 G5:2 | A5:8 G5:2 E5:2 D5:4 |"
                                "G5:4 B5:4 B5:2 G5:2 E5:4 | D5:8 E5:2 G5:2 B5:4 |"
                                "C6:6 B5:2 A5:4 E5:4 | A5:12 -:4";
const char* const breakTheme = "A5:12 G5:4 | G5:8 D5:8 | E5:12 D5:2 E5:2 | C5:16 |"
                               "F5:8 E5:4 D5:4 | B4:12 D5:4 | C5:8 E5:4 A5:4 | A5:8 G#5:8";
// The drop's own: one rhythm a bar, climbing by thirds, then up F#7 to B.
const char* const dropTheme = "E5:4 A5:4 G5:2 E5:2 C5:4 | E5:4 G5:4 B5:2 G5:2 E5:4 |"
                              "D5:4 G5:4 A5:2 G5:2 D5:4 | F#5:4 A5:4 F#5:2 E5:2 D5:4 |"
                              "A5:6 G5:2 E5:4 C5:4 | C6:6 B5:2 G5:4 E5:4 |"
                              "B5:6 A5:2 G5:4 D5:4 | C#5:4 E5:4 F#5:4 A#5:4";
// Drop 2's, in B minor: long notes over the circle of fifths.
const char* const drop2Theme = "B5:6 A5:2 F#5:4 D5:4 | E5:4 G5:4 B5:4 A5:2 G5:2 |"
                               "A5:6 C#6:2 A5:4 E5:4 | F#5:8 E5:4 D5:2 C#5:2 |"
                               "G5:4 B5:4 A5:2 G5:2 F#5:4 | E5:6 F#5:2 G5:4 B5:4 |"
                               "B5:6 C#6:2 B5:4 F#5:4 | A#5:8 F#5:4 E5:4";
// The outro's close after the theme's first four bars, down to E7 and up to
// the last chord's A.
const char* const outroClose = "F5:6 E5:2 D5:4 A4:4 | C5:6 D5:2 E5:8 |"
                               "D5:6 B4:2 A4:8 | E5:6 G#5:2 B5:8";

// Bass rhythms, one bar of 16ths: R root, O octave up, F fifth, "-" holds, "." rests.
const char* const bassGroove = "R-.R..O.R-.R-.O.";
const char* const bassDrop = "R.RO.RR.R.RO.RFO";
const char* const bassLong = "R-----------O-R-";
const char* const bassHeld = "R---------------";

// Arpeggio: indices into the chord's voicing, an octave up, one per 16th.
const char* const arpUpDown = "0123432101234321";
const char* const arpWide = "0241302413024130";

// Drum bars: "x" a full hit, "o" a soft one, "g" a ghost note, "." nothing.
const char* const fourFloor = "x...x...x...x...";
const char* const kickPush = "x...x...x...x.o."; // a soft kick pushes into the next bar
const char* const kickSkip = "x...x...x.o.x...";
const char* const kickTurn = "x...x..ox...x.o.";
const char* const halfTimeKick = "x.........x.....";
const char* const backbeat = "....x.......x...";
const char* const pickupClap = "....x.......x..o";
const char* const ghosts = "......g..g....g.";
const char* const fewGhosts = "..............g.";
const char* const dropSnare = "....o..g.g..o.g.";
const char* const offbeatHats = "..x...x...x...x.";
const char* const sixteenthHats = "o.x.o.xoo.x.o.xo";
const char* const eighthHats = "o.x.o.x.o.x.o.xo";
const char* const dropHats = "oo.ooo.ooo.ooo.o"; // around the open hats
const char* const quarterHats = "x...x...x...x...";
const char* const openOffbeats = "..x...x...x...x.";
const char* const openLift = "..............x.";
const char* const fillHats = "o.o.o.o.o.o.o.o.";
const char* const shakerRun = "oxoxoxoxoxoxoxox";

// One section's beat. Every 4th bar plays the turn patterns; nullptr: that
// drum is silent (or, for a turn, plays its usual pattern).
struct Groove {
    const char* kick;
    const char* kickTurn;
    const char* clap;
    const char* clapTurn;
    const char* snare; // ghost notes and layers under the clap
    const char* hats;
    const char* openHats;
    const char* shaker;
    float hatVelocity;
    float clapVelocity = 0.75f;
};

const Groove beatGroove = {fourFloor,   kickPush, backbeat, nullptr, nullptr,
                           offbeatHats, nullptr,  nullptr,  0.5f};
const Groove grooveGroove = {fourFloor,     kickSkip, backbeat, nullptr, ghosts,
                             sixteenthHats, nullptr,  nullptr,  0.5f};
const Groove themeGroove = {fourFloor,  kickPush, backbeat, nullptr, fewGhosts,
                            eighthHats, openLift, nullptr,  0.5f};
const Groove answerGroove = {fourFloor,     kickSkip,     backbeat,  nullptr, ghosts,
                             sixteenthHats, openOffbeats, shakerRun, 0.45f};
// The drops' claps cut through everything else playing.
const Groove dropGroove = {fourFloor, kickPush,     backbeat,  nullptr, dropSnare,
                           dropHats,  openOffbeats, shakerRun, 0.55f,   1.0f};
const Groove drop2Groove = {fourFloor,     kickTurn,     backbeat,  pickupClap, ghosts,
                            sixteenthHats, openOffbeats, shakerRun, 0.5f,       1.0f};
const Groove outroGroove = {fourFloor,   nullptr, backbeat, nullptr, nullptr,
                            offbeatHats, nullptr, nullptr,  0.45f};

struct Phrase {
    int step;
    int steps;
    int midi;
};

int parseNote(const std::string& name) {
    static const std::array<int, 7> semis = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        throw std::invalid_argument("bad note name: " + name);
    int midi = semis[name[0] - 'A'];
    size_t pos = 1;
    if (name[pos] == '#') {
        ++midi;
        ++pos;
    }
    if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '9')
        throw std::invalid_argument("bad note name: " + name);
    return midi + 12 * (name[pos] - '0' + 1);
}

// Parses a melody; every bar must fill exactly 16 steps.
std::vector<Phrase> parsePhrase(const std::string& melody) {
    std::string text;
    for (char c : melody)
        text += c == '|' ? std::string(" | ") : std::string(1, c);
    std::vector<Phrase> out;
    int step = 0;
    int barStart = 0;
    size_t pos = 0;
    auto endBar = [&] {
        if (step - barStart != barSteps)
            throw std::invalid_argument("melody bar of " + std::to_string(step - barStart) +
                                        " steps at step " + std::to_string(barStart));
        barStart = step;
    };
    while (pos < text.size()) {
        const size_t end = std::min(text.find(' ', pos), text.size());
        const std::string token = text.substr(pos, end - pos);
        pos = end + 1;
        if (token.empty())
            continue;
        if (token == "|") {
            endBar();
            continue;
        }
        const size_t colon = token.find(':');
        if (colon == std::string::npos)
            throw std::invalid_argument("bad melody token: " + token);
        const int steps = std::stoi(token.substr(colon + 1));
        const std::string name = token.substr(0, colon);
        if (name != "-")
            out.push_back({step, steps, parseNote(name)});
        step += steps;
    }
    endBar();
    return out;
}

const Chord& chordAt(const Progression& progression, int beat) {
    int at = 0;
    for (const Span& span : progression) {
        at += span.beats;
        if (beat < at)
            return *span.chord;
    }
    return *progression.back().chord;
}

// The bass note of a chord, between E2 and D#3: close to A2 whichever the chord.
int bassNote(const Chord& chord) {
    return 40 + (chord.root - 4 + 12) % 12;
}

class Composer {
public:
    Composer(std::vector<NoteEvent>& events, std::vector<Fill>& fills)
        : events_(events), fills_(fills), rng_(0x4a11) {}

    void add(double row, double length, Instrument instrument, float midi, float velocity,
             float pan = 0.0f) {
        events_.push_back({row, length, instrument, midi, velocity, pan});
    }

    void pads(int bar, const Progression& progression, float velocity) {
        int beat = 0;
        for (const Span& span : progression) {
            const double row = (bar * 4 + beat) * beatRows;
            for (int note : span.chord->notes)
                add(row, span.beats * beatRows, Instrument::Pad, note, velocity);
            beat += span.beats;
        }
    }

    // bars: how many bars of the section the arpeggio plays.
    void arp(int bar, const Progression& progression, const char* pattern, float velocity,
             int bars = sectionBars, float fadeTo = 1.0f) {
        for (int step = 0; step < bars * barSteps; ++step) {
            const Chord& chord = chordAt(progression, step / 4);
            const int index = pattern[step % barSteps] - '0';
            const float accent = step % 4 == 0 ? 1.0f : 0.8f;
            const float fade = 1.0f + (fadeTo - 1.0f) * step / (bars * barSteps);
            const float v = velocity * accent * fade * (0.95f + 0.05f * rng_.bipolar());
            add(rowOf(bar, step), 1.5, Instrument::Arp, chord.notes[index] + 12, v,
                step % 2 ? 0.35f : -0.35f);
        }
    }

    void bass(int bar, const Progression& progression, const char* pattern, float velocity,
              int bars = sectionBars) {
        for (int step = 0; step < bars * barSteps; ++step) {
            const char c = pattern[step % barSteps];
            if (c == '-' || c == '.')
                continue;
            int steps = 1;
            while (step % barSteps + steps < barSteps && pattern[(step + steps) % barSteps] == '-')
                ++steps;
            const int root = bassNote(chordAt(progression, step / 4));
            const int midi = root + (c == 'O' ? 12 : c == 'F' ? 7 : 0);
            const float accent = step % 4 == 0 ? 1.0f : 0.85f;
            add(rowOf(bar, step), steps * stepRows - 0.4, Instrument::Bass, midi,
                velocity * accent);
        }
    }

    void lead(int bar, const char* melody, float velocity, int transpose = 0, int bars = 8) {
        for (const Phrase& p : parsePhrase(melody)) {
            if (p.step >= bars * barSteps)
                break;
            add(rowOf(bar, p.step), p.steps * stepRows - 0.3, Instrument::Lead, p.midi + transpose,
                velocity * (p.step % 4 == 0 ? 1.0f : 0.9f));
        }
    }

    // One drum line over bars, a 16-step pattern repeated; steps from fromStep
    // to toStep of each bar only.
    void drums(int bar, int bars, Instrument instrument, const char* pattern, float velocity,
               float pan = 0.0f, float humanise = 0.0f, int fromStep = 0, int toStep = barSteps) {
        for (int step = 0; step < bars * barSteps; ++step) {
            const char c = pattern[step % barSteps];
            if (c == '.' || step % barSteps < fromStep || step % barSteps >= toStep)
                continue;
            const float accent = c == 'x' ? 1.0f : c == 'o' ? 0.55f : 0.3f;
            const float v = velocity * accent * (1.0f + humanise * rng_.bipolar());
            add(rowOf(bar, step), 1.0, instrument, 60.0f, v, pan);
        }
    }

    // A section's beat over bars; with a fill style, the last two beats of
    // the last bar are a fill into the next section.
    void groove(int bar, int bars, const Groove& g, const char* fill = nullptr) {
        for (int b = bar; b < bar + bars; ++b) {
            const bool turn = (b - bar) % 4 == 3;
            const int end = fill && b == bar + bars - 1 ? 8 : barSteps;
            const char* kick = turn && g.kickTurn && end == barSteps ? g.kickTurn : g.kick;
            drums(b, 1, Instrument::Kick, end == barSteps ? kick : fourFloor, 0.95f);
            if (g.clap)
                drums(b, 1, Instrument::Clap, turn && g.clapTurn ? g.clapTurn : g.clap,
                      g.clapVelocity, 0.0f, 0.0f, 0, end);
            if (g.snare)
                drums(b, 1, Instrument::Snare, g.snare, 0.5f, -0.1f, 0.1f, 0, end);
            drums(b, 1, Instrument::ClosedHat, g.hats, g.hatVelocity, 0.2f, 0.08f, 0, end);
            if (g.openHats)
                drums(b, 1, Instrument::OpenHat, g.openHats, 0.4f, -0.15f, 0.05f, 0, end);
            if (g.shaker)
                drums(b, 1, Instrument::Shaker, shakerRun, 0.28f, -0.45f, 0.15f);
        }
        if (fill)
            this->fill(bar + bars - 1, fill);
    }

    // The last two beats of a bar: snare sixteenths rising, toms falling, or
    // a beat of each.
    void fill(int bar, const std::string& style, float velocity = 1.0f) {
        static const std::array<int, 8> toms = {59, 57, 55, 52, 50, 48, 45, 43};
        const int snareSteps = style == "snare" ? 8 : style == "roll" ? 4 : 0;
        for (int i = 0; i < 8; ++i) {
            const double row = rowOf(bar, 8 + i);
            if (i < snareSteps)
                add(row, 1.0, Instrument::Snare, 60.0f,
                    velocity * (0.4f + 0.5f * i / (snareSteps - 1)),
                    0.15f * (i % 2 ? 1.0f : -1.0f));
            else
                add(row, 1.0, Instrument::Tom, toms[i], velocity * (0.6f + 0.05f * i),
                    0.5f - 0.14f * i);
        }
        fills_.push_back({rowOf(bar, 8), (bar + 1) * 32.0, style});
    }

    void crash(int bar, float velocity = 0.7f) {
        add(bar * 32.0, 1.0, Instrument::Crash, 60.0f, velocity);
    }

    // The build-up's snare: quarters, eighths, sixteenths, then thirty-seconds
    // up to the silent beat before the drop.
    void snareRoll(int bar) {
        static const std::array<double, 4> gaps = {8.0, 4.0, 2.0, 1.0};
        double row = bar * 32.0;
        while (row < Song::gapRow) {
            const double x = (row - bar * 32.0) / (Song::gapRow - bar * 32.0);
            add(row, 1.0, Instrument::Snare, 60.0f, static_cast<float>(0.25 + 0.6 * x * x),
                static_cast<float>(0.15 * std::sin(row * 0.7)));
            row += gaps[std::min<size_t>(3, static_cast<size_t>(row / 32.0) - bar)];
        }
        fills_.push_back({bar * 32.0, Song::gapRow, "roll"});
    }

    // Silence from row to end: nothing starts there, and notes held into it
    // are released at row.
    void silence(double row, double end) {
        std::erase_if(events_, [&](const NoteEvent& e) { return e.row >= row && e.row < end; });
        for (NoteEvent& e : events_)
            if (e.row < row && e.row + e.length > row)
                e.length = row - e.row;
    }

private:
    static double rowOf(int bar, int step) { return bar * 32.0 + step * stepRows; }

    std::vector<NoteEvent>& events_;
    std::vector<Fill>& fills_;
    Rng rng_;
};

// Piecewise exponential interpolation between (bar, value) keys.
float sweep(std::initializer_list<std::pair<double, float>> keys, double bar) {
    auto prev = *keys.begin();
    if (bar <= prev.first)
        return prev.second;
    for (const auto& key : keys) {
        if (bar < key.first) {
            const double x = (bar - prev.first) / (key.first - prev.first);
            return static_cast<float>(prev.second * std::pow(key.second / prev.second, x));
        }
        prev = key;
    }
    return prev.second;
}

} // namespace

int64_t Song::totalFrames() {
    return frameAt(static_cast<double>(bars) * rowsPerBar);
}

int64_t Song::frameAt(double row) {
    return std::llround(row * framesPerRow);
}

const std::vector<Section>& Song::sections() {
    static const std::vector<Section> table = {
        {0, 8, "intro", "pads alone on Am9 - F - G, low-pass opening from dark"},
        {8, 8, "arp", "pads + plucked arpeggio whose filter opens"},
        {16, 8, "beat", "+ kick and off-beat hats, the clap from bar 20, snare fill"},
        {24, 8, "groove", "+ bass on i-VI-iv-V, 16th hats, ghost snares, tom fill"},
        {32, 8, "theme", "+ lead melody with ping-pong delay, open-hat lifts"},
        {40, 8, "answer", "new melody on VI-VII-v-i, open hats, shaker"},
        {48, 8, "breakdown", "pads and slow lead only, no drums, no bass"},
        {56, 8, "build-up", "half-time, the mix low-passed; snare roll, riser; a silent beat"},
        {64, 8, "drop", "everything; its own lead on i-III-VII-IV, a chord per bar, boom in"},
        {72, 8, "drop 2", "a tone up in B minor: new lead, octave-doubled; toms, pickup claps"},
        {80, 8, "break 2", "no kick or clap: down in thirds back to A minor, Bb to E7; hats, toms"},
        {88, 8, "outro", "theme's opening and close on i-VI-iv-V, full beat, tom fill"},
        {96, 2, "ring-out", "the last hit: A major chord, crash, kick and boom, fading out"},
    };
    return table;
}

Song::Song() {
    Composer c(events_, fills_);

    // 1 intro
    c.pads(0, introProgression, 0.7f);

    // 2 arp
    c.pads(8, mainProgression, 0.7f);
    c.arp(8, mainProgression, arpUpDown, 0.5f);

    // 3 beat: four bars of kick and hats, then the clap joins
    c.pads(16, mainProgression, 0.6f);
    c.arp(16, mainProgression, arpUpDown, 0.55f);
    Groove noClap = beatGroove;
    noClap.clap = nullptr;
    c.groove(16, 4, noClap);
    c.groove(20, 4, beatGroove, "snare");

    // 4 groove
    c.crash(24);
    c.pads(24, grooveProgression, 0.6f);
    c.arp(24, grooveProgression, arpUpDown, 0.55f);
    c.bass(24, grooveProgression, bassGroove, 0.8f);
    c.groove(24, 8, grooveGroove, "toms");

    // 5 theme
    c.crash(32);
    c.pads(32, mainProgression, 0.6f);
    c.arp(32, mainProgression, arpUpDown, 0.45f);
    c.bass(32, mainProgression, bassGroove, 0.8f);
    c.groove(32, 8, themeGroove, "snare");
    c.lead(32, mainTheme, 0.75f);

    // 6 answer
    c.crash(40, 0.5f);
    c.pads(40, answerProgression, 0.6f);
    c.arp(40, answerProgression, arpWide, 0.45f);
    c.bass(40, answerProgression, bassGroove, 0.8f);
    c.groove(40, 8, answerGroove, "toms");
    c.lead(40, answerTheme, 0.75f);

    // 7 breakdown
    c.crash(48, 0.5f);
    c.pads(48, breakProgression, 0.6f);
    c.lead(48, breakTheme, 0.55f);

    // 8 build-up: half time under a closed filter, then the roll; the last
    // beat before the drop is silent.
    c.pads(56, buildProgression, 0.55f);
    c.arp(56, buildProgression, arpUpDown, 0.45f);
    c.bass(56, buildProgression, bassHeld, 0.65f, 4);
    c.bass(60, buildProgression, bassLong, 0.65f, 4);
    c.drums(56, 4, Instrument::Kick, halfTimeKick, 0.8f);
    c.drums(56, 4, Instrument::Clap, "........x.......", 0.6f);
    c.drums(56, 6, Instrument::ClosedHat, quarterHats, 0.35f, 0.2f, 0.05f);
    c.drums(60, 2, Instrument::Kick, "x.......x.......", 0.85f);
    c.drums(62, 1, Instrument::Kick, fourFloor, 0.9f);
    c.drums(63, 1, Instrument::Kick, "x.x.x.x.x.x.....", 0.9f);
    c.snareRoll(60);
    c.add(58 * 32.0, Song::gapRow - 58 * 32.0, Instrument::Riser, 60.0f, 0.5f);
    c.silence(Song::gapRow, Song::dropRow);

    // 9 drop
    c.crash(64, 0.75f);
    c.add(64 * 32.0, 32.0, Instrument::Boom, 33.0f, 0.9f);
    c.pads(64, dropProgression, 0.6f);
    c.arp(64, dropProgression, arpWide, 0.5f);
    c.bass(64, dropProgression, bassDrop, 0.85f);
    c.groove(64, 8, dropGroove, "roll");
    c.lead(64, dropTheme, 0.7f);

    // 10 drop 2
    c.crash(72, 0.7f);
    c.pads(72, drop2Progression, 0.6f);
    c.arp(72, drop2Progression, arpUpDown, 0.5f);
    c.bass(72, drop2Progression, bassDrop, 0.85f);
    c.groove(72, 8, drop2Groove, "toms");
    c.drums(72, 7, Instrument::Tom, "..........o....o", 0.45f, 0.4f);
    c.lead(72, drop2Theme, 0.75f);
    c.lead(72, drop2Theme, 0.3f, 12);

    // 11 break 2
    c.crash(80, 0.5f);
    c.pads(80, returnProgression, 0.6f);
    c.arp(80, returnProgression, arpWide, 0.5f);
    c.bass(80, returnProgression, bassLong, 0.75f);
    c.drums(80, 7, Instrument::ClosedHat, offbeatHats, 0.5f, 0.2f, 0.08f);
    c.drums(80, 8, Instrument::Shaker, shakerRun, 0.3f, -0.45f, 0.15f);
    c.drums(80, 7, Instrument::Tom, "......o.....o.o.", 0.45f, -0.3f);
    c.drums(80, 7, Instrument::ClosedHat, fillHats, 0.25f, -0.2f, 0.1f);
    c.fill(87, "toms");

    // 12 outro: the theme's opening and its close over i-VI-iv-V, the beat
    // going on to the last chord.
    c.crash(88, 0.6f);
    c.pads(88, grooveProgression, 0.55f);
    c.arp(88, grooveProgression, arpUpDown, 0.5f);
    c.bass(88, grooveProgression, bassGroove, 0.75f);
    c.groove(88, 8, outroGroove, "toms");
    c.lead(88, mainTheme, 0.6f, 0, 4);
    c.lead(92, outroClose, 0.6f);

    // 13 ring-out: the last hit, on A major
    c.crash(96, 0.8f);
    c.add(96 * 32.0, 1.0, Instrument::Kick, 60.0f, 0.9f);
    c.add(96 * 32.0, 32.0, Instrument::Boom, 33.0f, 0.8f);
    for (int note : Aadd9.notes)
        c.add(96 * 32.0, 32.0, Instrument::Pad, note, 0.6f);
    c.add(96 * 32.0, 32.0, Instrument::Pad, 45.0f, 0.5f);
    c.add(96 * 32.0, 24.0, Instrument::Bass, 45.0f, 0.7f);
    c.add(96 * 32.0, 32.0, Instrument::Lead, 81.0f, 0.5f);

    std::stable_sort(events_.begin(), events_.end(),
                     [](const NoteEvent& a, const NoteEvent& b) { return a.row < b.row; });
    std::sort(fills_.begin(), fills_.end(),
              [](const Fill& a, const Fill& b) { return a.row < b.row; });
}

void Song::filter(const std::function<bool(const NoteEvent&)>& keep) {
    std::erase_if(events_, [&keep](const NoteEvent& e) { return !keep(e); });
}

Automation Song::automationAt(double row) const {
    const double bar = row / rowsPerBar;
    Automation a{};
    a.padCutoff = sweep({{0, 300.0f},
                         {8, 1800.0f},
                         {16, 2600.0f},
                         {48, 2600.0f},
                         {48.01, 2000.0f},
                         {56, 2000.0f},
                         {56.01, 1000.0f},
                         {64, 6000.0f},
                         {64.01, 3500.0f},
                         {80, 3500.0f},
                         {80.01, 2400.0f},
                         {88, 2800.0f},
                         {96, 1000.0f},
                         {96.01, 3000.0f},
                         {98, 800.0f}},
                        bar);
    a.arpCutoff = sweep({{8, 350.0f},
                         {16, 3500.0f},
                         {56, 3500.0f},
                         {56.01, 1200.0f},
                         {64, 8000.0f},
                         {64.01, 4500.0f},
                         {80, 4500.0f},
                         {80.01, 2500.0f},
                         {88, 3000.0f},
                         {96, 1000.0f}},
                        bar);
    // The drops pump harder: the kick makes room for itself, and the limiter
    // need not pull the whole mix down on every beat.
    a.duckDepth = row >= dropRow && bar < 80.0 ? 0.75f : 0.55f;
    // The build-up plays under a low-pass that opens towards the drop, to 4 kHz
    // only: the drop brings in the top, and with it most of its loudness.
    a.masterCutoff =
        bar >= 56.0 && row < dropRow ? sweep({{56, 350.0f}, {63.75, 4000.0f}}, bar) : 0.0f;

    // Each section's gain into the limiter, moving over the row before it starts.
    static constexpr std::array<float, 13> drive = {1.0f, 1.0f, 0.8f, 0.78f, 0.72f, 0.72f, 0.85f,
                                                    0.8f, 1.5f, 1.5f, 1.0f,  0.8f,  1.0f};
    const int section = std::clamp(static_cast<int>(bar / sectionBars), 0, 12);
    const double toNext = (section + 1) * sectionBars * double(rowsPerBar) - row;
    a.drive = drive[section];
    if (section < 12 && toNext < 1.0)
        a.drive += static_cast<float>((1.0 - toNext) * (drive[section + 1] - drive[section]));

    // Silence for the beat before the drop, then the last chord fades out by endRow.
    a.master = 1.0f;
    if (row >= gapRow && row < dropRow)
        a.master = static_cast<float>(std::clamp(
            std::max(1.0 - (row - gapRow) / 0.25, (row - (dropRow - 0.1)) / 0.1), 0.0, 1.0));
    const double fadeStart = endRow - 24.0;
    const double fade = std::clamp((row - fadeStart) / (endRow - fadeStart), 0.0, 1.0);
    a.master *= static_cast<float>(0.5 + 0.5 * std::cos(fade * 3.141592653589793));
    return a;
}

} // namespace Sorva::Tune
