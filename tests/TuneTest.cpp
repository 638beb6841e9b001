// Tests of the tune synthesiser (no GL): length, determinism, levels,
// arrangement and the clean start and end of notes.
#include "tools/tune/DrumVoice.h"
#include "tools/tune/Envelope.h"
#include "tools/tune/EventTable.h"
#include "tools/tune/Limiter.h"
#include "tools/tune/Oscillator.h"
#include "tools/tune/Reverb.h"
#include "tools/tune/Song.h"
#include "tools/tune/StereoDelay.h"
#include "tools/tune/Svf.h"
#include "tools/tune/SynthVoice.h"
#include "tools/tune/TuneRenderer.h"
#include "tools/tune/WavWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Sorva::Tune;

namespace {

double dbfs(double rms) {
    return 20.0 * std::log10(std::max(rms, 1e-12));
}

// RMS in dBFS of frames [first, last) of an interleaved stereo buffer,
// optionally low-passed at lowPass Hz first (0: full band).
double rmsDb(const std::vector<float>& pcm, int64_t first, int64_t last, float lowPass = 0.0f) {
    Svf left;
    Svf right;
    left.set(lowPass, 0.7f, Song::sampleRate);
    right.set(lowPass, 0.7f, Song::sampleRate);
    double sum = 0.0;
    for (int64_t i = first; i < last; ++i) {
        float l = pcm[2 * i];
        float r = pcm[2 * i + 1];
        if (lowPass > 0.0f) {
            l = left.process(l).low;
            r = right.process(r).low;
        }
        sum += double(l) * l + double(r) * r;
    }
    return dbfs(std::sqrt(sum / (2.0 * double(last - first))));
}

// Momentary loudness (EBU R128) of frames [first, last): the mean square of
// K-weighted 400 ms blocks every 100 ms, each block lying inside the range.
std::vector<double> momentaryBlocks(const std::vector<float>& pcm, int64_t first, int64_t last) {
    struct Biquad {
        double b0, b1, b2, a1, a2;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        double operator()(double x) {
            const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = x, y2 = y1, y1 = y;
            return y;
        }
    };
    auto kWeighting = [] {
        // The high shelf (+4 dB above 1.7 kHz) and the high-pass at 38 Hz.
        double k = std::tan(M_PI * 1681.974450955533 / Song::sampleRate);
        double q = 0.7071752369554193;
        const double vh = std::pow(10.0, 3.99984385397 / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        double a0 = 1.0 + k / q + k * k;
        Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                     (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                     (1.0 - k / q + k * k) / a0};
        k = std::tan(M_PI * 38.13547087613982 / Song::sampleRate);
        q = 0.5003270373253953;
        a0 = 1.0 + k / q + k * k;
        Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
        return std::array<Biquad, 2>{shelf, highPass};
    };
    auto left = kWeighting();
    auto right = kWeighting();
    const int64_t hop = Song::sampleRate / 10;
    std::vector<double> hops;
    double sum = 0.0;
    for (int64_t i = first; i < last; ++i) {
        const double l = left[1](left[0](pcm[2 * i]));
        const double r = right[1](right[0](pcm[2 * i + 1]));
        sum += l * l + r * r;
        if ((i - first + 1) % hop == 0)
            hops.push_back(sum / double(hop)), sum = 0.0;
    }
    std::vector<double> blocks;
    for (size_t i = 3; i < hops.size(); ++i)
        blocks.push_back((hops[i] + hops[i - 1] + hops[i - 2] + hops[i - 3]) / 4.0);
    return blocks;
}

double blockLufs(double meanSquare) {
    return -0.691 + 10.0 * std::log10(meanSquare + 1e-30);
}

// Integrated loudness in LUFS of frames [first, last): the momentary blocks
// gated at -70 LUFS, then 10 LU under their mean.
double lufs(const std::vector<float>& pcm, int64_t first, int64_t last) {
    const std::vector<double> blocks = momentaryBlocks(pcm, first, last);
    auto gated = [&blocks](double threshold) {
        double total = 0.0;
        int count = 0;
        for (double b : blocks)
            if (blockLufs(b) > threshold)
                total += b, ++count;
        return blockLufs(total / std::max(count, 1));
    };
    return gated(gated(-70.0) - 10.0);
}

// The mean momentary loudness over bars [fromBar, toBar), silent blocks
// (under -70 LUFS) left out: how loud a passage sounds from moment to moment.
double meanMomentary(const std::vector<float>& pcm, double fromBar, double toBar) {
    double sum = 0.0;
    int count = 0;
    for (double b : momentaryBlocks(pcm, Song::frameAt(fromBar * Song::rowsPerBar),
                                    Song::frameAt(toBar * Song::rowsPerBar)))
        if (blockLufs(b) > -70.0)
            sum += blockLufs(b), ++count;
    return sum / std::max(count, 1);
}

// Energy in a band just after a frame against just before, in dB: how far a
// hit at that frame stands out of what already sounds.
double onsetDb(const std::vector<float>& pcm, int64_t frame, float lowHz, float highHz) {
    const int64_t window = Song::sampleRate / 40; // 25 ms
    Svf highPass;
    Svf lowPass;
    highPass.set(lowHz, 0.7f, Song::sampleRate);
    lowPass.set(highHz, 0.7f, Song::sampleRate);
    double before = 1e-12;
    double after = 1e-12;
    for (int64_t i = frame - 4 * window; i < frame + window; ++i) {
        const float x = pcm[2 * i] + pcm[2 * i + 1];
        const float y = lowPass.process(highPass.process(x).high).low;
        (i < frame ? before : after) += i >= frame - window ? double(y) * y : 0.0;
    }
    return 10.0 * std::log10(after / before);
}

int64_t frameOfBar(double bar) {
    return Song::frameAt(bar * Song::rowsPerBar);
}

const Section& section(const std::string& name) {
    for (const Section& s : Song::sections())
        if (s.name == name)
            return s;
    throw std::runtime_error("no section " + name);
}

// The whole tune, rendered once for all the tests that listen to it.
class TuneRenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const Song song;
        TuneRenderer renderer(song);
        pcm_ = new std::vector<float>(static_cast<size_t>(Song::totalFrames()) * 2);
        renderer.render(pcm_->data(), Song::totalFrames());
    }
    static void TearDownTestSuite() {
        delete pcm_;
        pcm_ = nullptr;
    }
    static const std::vector<float>& pcm() { return *pcm_; }

    double sectionRms(const std::string& name, float lowPass = 0.0f) const {
        const Section& s = section(name);
        return rmsDb(pcm(), frameOfBar(s.bar), frameOfBar(s.bar + s.bars), lowPass);
    }
    double sectionLufs(const std::string& name) const {
        const Section& s = section(name);
        return lufs(pcm(), frameOfBar(s.bar), frameOfBar(s.bar + s.bars));
    }

private:
    static std::vector<float>* pcm_;
};

std::vector<float>* TuneRenderTest::pcm_ = nullptr;

} // namespace

TEST(TuneSongTest, LengthIsNinetyEightBarsRoundedToTheNearestFrame) {
    // 98 bars * 4 beats * 60 / 131 s * 44100 Hz = 7917801.53 frames.
    EXPECT_EQ(Song::totalFrames(), 7917802);
    EXPECT_EQ(Song::frameAt(3136.0), 7917802);
    EXPECT_EQ(Song::frameAt(3120.0), 7877405); // the end track's row, 97.5 bars
    EXPECT_NEAR(Song::totalFrames() / double(Song::sampleRate), 179.54, 0.005);
}

TEST(TuneSongTest, SectionsTileTheTuneOnBarLines) {
    const auto& sections = Song::sections();
    ASSERT_EQ(sections.size(), 13u);
    int bar = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(sections[i].bar, bar) << sections[i].name;
        EXPECT_EQ(sections[i].bars, i + 1 < sections.size() ? 8 : 2) << sections[i].name;
        bar += sections[i].bars;
    }
    EXPECT_EQ(bar, Song::bars);
}

TEST(TuneSongTest, InstrumentsEnterAndLeaveWhereTheArrangementSays) {
    const Song song;
    struct Case {
        Instrument instrument;
        int firstBar;              // where it first plays
        std::vector<int> silentIn; // sections (first bars) where it never starts a note
    };
    const std::vector<Case> cases = {
        {Instrument::Pad, 0, {}},
        {Instrument::Arp, 8, {0, 48, 96}},
        {Instrument::Kick, 16, {0, 8, 48, 80}},
        {Instrument::Clap, 20, {0, 8, 48, 80}},
        {Instrument::Bass, 24, {0, 8, 16, 48}},
        {Instrument::Lead, 32, {0, 8, 16, 24, 56, 80}},
        {Instrument::Riser, 58, {0, 8, 16, 24, 32, 40, 48, 64, 72, 80, 88, 96}},
    };
    for (const Case& c : cases) {
        double first = 1e9;
        for (const NoteEvent& e : song.events()) {
            if (e.instrument != c.instrument)
                continue;
            first = std::min(first, e.row);
            const int bar = static_cast<int>(e.row / Song::rowsPerBar);
            for (int silent : c.silentIn)
                EXPECT_FALSE(bar >= silent && bar < silent + 8)
                    << "instrument " << int(c.instrument) << " plays at bar " << bar;
        }
        EXPECT_EQ(static_cast<int>(first / Song::rowsPerBar), c.firstBar)
            << "instrument " << int(c.instrument);
    }
    // Drums stop for the whole breakdown; nothing starts in the beat before the drop.
    for (const NoteEvent& e : song.events()) {
        const bool drum = e.instrument != Instrument::Pad && e.instrument != Instrument::Lead &&
                          e.instrument != Instrument::Crash;
        EXPECT_FALSE(drum && e.row >= 48 * 32.0 && e.row < 56 * 32.0) << int(e.instrument);
        EXPECT_FALSE(e.row >= Song::gapRow && e.row < Song::dropRow) << int(e.instrument);
    }
}

TEST(TuneSongTest, DrumsAndHarmonyChangeFromSectionToSection) {
    const Song song;
    // Per 8-bar section: the drum hits within the bar (all bars overlaid) and
    // the pads' chord at every bar.
    std::map<int, std::set<std::pair<int, int>>> drums;
    std::map<int, std::vector<float>> chords;
    for (const NoteEvent& e : song.events()) {
        const int bar = static_cast<int>(e.row / Song::rowsPerBar);
        const int sectionBar = bar / 8 * 8;
        if (e.instrument == Instrument::Kick || e.instrument == Instrument::Clap ||
            e.instrument == Instrument::Snare || e.instrument == Instrument::OpenHat)
            drums[sectionBar].insert({int(e.instrument), int(e.row) % Song::rowsPerBar});
        if (e.instrument == Instrument::Pad && bar < 96)
            chords[sectionBar].push_back(e.midi + 1000.0f * (bar % 8));
    }
    // Every section with a full beat has its own.
    const std::vector<int> beats = {16, 24, 32, 40, 64, 72};
    for (size_t i = 0; i < beats.size(); ++i)
        for (size_t j = i + 1; j < beats.size(); ++j)
            EXPECT_NE(drums[beats[i]], drums[beats[j]]) << beats[i] << " and " << beats[j];
    // No progression carries more than 3 of the 12 sections; at least 9 are different.
    std::map<std::vector<float>, int> uses;
    for (auto& [bar, notes] : chords)
        ++uses[notes];
    EXPECT_GE(uses.size(), 9u);
    for (const auto& [notes, count] : uses)
        EXPECT_LE(count, 3);
    // Every fill ends on a section's first bar, or (the build-up's roll) at the gap.
    ASSERT_GE(song.fills().size(), 8u);
    for (const Fill& f : song.fills()) {
        EXPECT_LT(f.row, f.endRow);
        EXPECT_TRUE(std::fmod(f.endRow, 8 * 32.0) == 0.0 || f.endRow == Song::gapRow) << f.row;
    }
}

TEST(TuneSongTest, TheDropsHaveTheirOwnHarmonyAndLead) {
    const Song song;
    // Per section: the steps between the bass's roots on the downbeats (a
    // progression in any key), the lead's notes as (row in the section,
    // step from the note before; the quiet octave doubling left out), and
    // the weight of each pitch class played.
    std::map<int, std::vector<int>> roots;
    std::map<int, std::vector<int>> rootSteps;
    std::map<int, std::set<std::pair<double, int>>> lead;
    std::map<int, std::array<double, 12>> chroma;
    int lastLead = 0;
    for (const NoteEvent& e : song.events()) {
        const int section = static_cast<int>(e.row / Song::rowsPerBar) / 8 * 8;
        const int pitch = static_cast<int>(std::lround(e.midi));
        if (e.instrument == Instrument::Bass && std::fmod(e.row, Song::rowsPerBar) == 0.0 &&
            (roots[section].empty() || roots[section].back() != pitch % 12)) {
            if (!roots[section].empty())
                rootSteps[section].push_back((pitch - roots[section].back() + 12) % 12);
            roots[section].push_back(pitch % 12);
        }
        if (e.instrument == Instrument::Lead && e.velocity > 0.5f) {
            lead[section].insert({e.row - section * Song::rowsPerBar, pitch - lastLead});
            lastLead = pitch;
        }
        if (e.instrument <= Instrument::Lead)
            chroma[section][pitch % 12] += e.length * e.velocity;
    }
    auto contains = [](const std::vector<int>& all, const std::vector<int>& part) {
        return std::search(all.begin(), all.end(), part.begin(), part.end()) != all.end();
    };
    auto shared = [&lead](int a, int b) {
        return std::count_if(lead[a].begin(), lead[a].end(),
                             [&](const auto& note) { return lead[b].count(note) > 0; });
    };
    auto similarity = [&chroma](int a, int b) {
        double ab = 0.0, aa = 0.0, bb = 0.0;
        for (int i = 0; i < 12; ++i)
            ab += chroma[a][i] * chroma[b][i], aa += chroma[a][i] * chroma[a][i],
                bb += chroma[b][i] * chroma[b][i];
        return ab / std::sqrt(aa * bb);
    };
    // The theme's i-VI-III-VII, in whatever key, is in neither drop, and the
    // drops differ from each other; so do their leads from the theme's.
    ASSERT_EQ(rootSteps[32], (std::vector<int>{8, 7, 7}));
    for (int drop : {64, 72}) {
        EXPECT_FALSE(contains(rootSteps[drop], rootSteps[32])) << drop;
        EXPECT_LT(2 * shared(drop, 32), static_cast<long>(lead[drop].size())) << drop;
    }
    EXPECT_NE(rootSteps[64], rootSteps[72]);
    // Drop 2 moves to other colours than the theme's: a tone up, in B minor.
    EXPECT_EQ(roots[72].front(), 11);
    EXPECT_LT(similarity(32, 72), 0.8);
    // The last chord is A major.
    EXPECT_GT(chroma[96][1], 0.0);
    EXPECT_EQ(chroma[96][0], 0.0);
}

TEST(TuneSongTest, EveryNoteEndsBeforeTheTuneDoes) {
    const Song song;
    ASSERT_TRUE(std::is_sorted(song.events().begin(), song.events().end(),
                               [](const auto& a, const auto& b) { return a.row < b.row; }));
    for (const NoteEvent& e : song.events()) {
        EXPECT_GE(e.row, 0.0);
        EXPECT_GT(e.length, 0.0);
        EXPECT_LE(e.row + e.length, Song::endRow - 8.0) << int(e.instrument) << " at " << e.row;
        EXPECT_GE(e.velocity, 0.0f);
        EXPECT_LE(e.velocity, 1.0f);
    }
}

TEST(TuneRendererTest, RendersTheSameSamplesEveryTime) {
    const Song song;
    const int64_t begin = frameOfBar(62);
    const int64_t count = frameOfBar(65) - begin; // across the build-up into the drop
    const std::vector<float> a = TuneRenderer::renderRange(song, begin, count);
    const std::vector<float> b = TuneRenderer::renderRange(Song(), begin, count);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
    EXPECT_GT(rmsDb(a, 0, count), -30.0);
}

// One test for everything heard in the whole render: it takes seconds to make.
TEST_F(TuneRenderTest, WholeTuneLevelsArrangementAndEnding) {
    // No clipping, no offset, and loud enough to reach near the ceiling.
    float peak = 0.0f;
    double sum = 0.0;
    for (float s : pcm()) {
        ASSERT_TRUE(std::isfinite(s));
        peak = std::max(peak, std::abs(s));
        sum += s;
    }
    EXPECT_LE(peak, TuneRenderer::ceiling);
    EXPECT_LT(dbfs(peak), -0.3);
    EXPECT_GT(dbfs(peak), -3.0);
    EXPECT_LT(std::abs(sum / pcm().size()), 1e-3);

    // Each section's loudness (LUFS), and its low end (under 150 Hz) against the drop's.
    struct Case {
        const char* section;
        double minLufs;
        double maxLufs;
        double lowUnderDrop; // at least this many dB less low end than the drop
    };
    const std::vector<Case> cases = {
        {"intro", -19, -15, 12},     {"arp", -17, -13, 12},      {"beat", -15, -11.5, 0},
        {"groove", -14, -10.5, 0},   {"theme", -13, -10, 0},     {"answer", -13, -10, 0},
        {"breakdown", -18, -14, 10}, {"build-up", -17, -13, 0},  {"drop", -11, -8.5, 0},
        {"drop 2", -11, -8.5, 0},    {"break 2", -15, -11.5, 0}, {"outro", -15, -11.5, 0},
    };
    const double dropLow = sectionRms("drop", 150.0f);
    std::map<std::string, double> loudness;
    for (const Case& c : cases) {
        const double l = loudness[c.section] = sectionLufs(c.section);
        EXPECT_GE(l, c.minLufs) << c.section;
        EXPECT_LE(l, c.maxLufs) << c.section;
        if (c.lowUnderDrop > 0) {
            EXPECT_LE(sectionRms(c.section, 150.0f), dropLow - c.lowUnderDrop) << c.section;
        }
    }
    // The drop arrives: held back before it (even against the build-up's last
    // two bars, up to the silent beat, moment by moment), well over the theme,
    // the drops the loudest of all.
    EXPECT_GE(loudness["drop"], loudness["build-up"] + 3.0);
    EXPECT_GE(meanMomentary(pcm(), 64, 72), meanMomentary(pcm(), 62, 63.75) + 3.0);
    EXPECT_GE(loudness["drop"], loudness["theme"] + 2.5);
    const double drops = std::min(loudness["drop"], loudness["drop 2"]);
    for (const auto& [name, l] : loudness) {
        if (name.rfind("drop", 0) != 0) {
            EXPECT_LT(l, drops - 1.0) << name;
        }
    }
    EXPECT_GE(sectionRms("groove", 150.0f), dropLow - 3.0);

    // The beat before the drop is silent, the drop's first beat is not.
    EXPECT_LT(rmsDb(pcm(), Song::frameAt(Song::gapRow + 1.0), Song::frameAt(Song::dropRow - 0.5)),
              -80.0);
    EXPECT_GT(rmsDb(pcm(), Song::frameAt(Song::dropRow), Song::frameAt(Song::dropRow + 8.0)),
              -14.0);
    // No false ending: from the outro on, no bar is more than 1 LU louder than
    // one before it, the last hit included. The last chord fades under -60
    // dBFS within the last quarter beat before the end row, and silence follows.
    std::vector<double> bars;
    for (int bar = 88; bar < 98; ++bar) {
        bars.push_back(meanMomentary(pcm(), bar, bar + 1));
        for (double earlier : bars)
            EXPECT_LE(bars.back(), earlier + 1.0) << "bar " << bar;
    }
    int64_t lastAudible = 0;
    for (int64_t i = 0; i < Song::totalFrames(); ++i)
        if (std::max(std::abs(pcm()[2 * i]), std::abs(pcm()[2 * i + 1])) > 0.001f)
            lastAudible = i;
    EXPECT_GT(lastAudible, Song::frameAt(Song::endRow - 8.0));
    EXPECT_LT(lastAudible, Song::frameAt(Song::endRow));
    EXPECT_LT(rmsDb(pcm(), Song::frameAt(Song::endRow), Song::totalFrames()), -100.0);
}

// The exported kicks and claps drive the picture: each one must be heard in
// the mix, its band rising as it hits, the first clap after a crash too.
TEST_F(TuneRenderTest, EveryFullKickAndClapStandsOutOfTheMix) {
    struct Case {
        std::string kind;
        float lowHz;
        float highHz;
        double minDb;
    };
    const std::vector<Case> cases = {{"kick", 40, 250, 1.0}, {"clap", 1000, 4000, 2.5}};
    const EventTable table{Song()};
    for (const Case& c : cases) {
        int count = 0;
        for (const EventTable::Event& e : table.events()) {
            if (e.kind != c.kind || std::stof(e.fields) < 0.7f)
                continue;
            ++count;
            EXPECT_GE(onsetDb(pcm(), Song::frameAt(e.row), c.lowHz, c.highHz), c.minDb)
                << c.kind << " at row " << e.row;
        }
        EXPECT_GT(count, 80) << c.kind;
    }
}

TEST(TuneVoiceTest, NotesStartAndEndWithoutClicks) {
    struct Case {
        const char* name;
        float attack;
        float release;
        float maxStep; // largest change of the envelope between two samples
    };
    // Even a zero attack or release must ramp over a few milliseconds.
    const std::vector<Case> cases = {{"instant", 0.0f, 0.0f, 0.08f},
                                     {"pluck", 0.001f, 0.05f, 0.012f},
                                     {"pad", 0.4f, 1.0f, 0.001f}};
    for (const Case& c : cases) {
        Envelope env(c.attack, 0.1f, 0.8f, c.release, 44100.0f);
        float previous = 0.0f;
        float step = 0.0f;
        for (int i = 0; i < 2 * 44100; ++i) {
            if (i == 22050)
                env.release();
            const float level = env.next();
            step = std::max(step, std::abs(level - previous));
            previous = level;
        }
        EXPECT_LE(step, c.maxStep) << c.name;
        EXPECT_TRUE(env.done()) << c.name;

        // A whole note: quiet first samples, then it sounds, then it is over.
        Patch patch;
        patch.oscillators = 3;
        patch.detuneCents = 20.0f;
        patch.width = 0.8f;
        patch.attack = c.attack;
        patch.release = c.release;
        SynthVoice voice(patch, 57.0f, 1.0f, 0.0f, 4410, 44100.0f, 7);
        std::vector<float> l(44100 * 2, 0.0f);
        std::vector<float> r(l.size(), 0.0f);
        voice.render(l.data(), r.data(), static_cast<int>(l.size()), 4000.0f);
        EXPECT_LT(std::abs(l[0]) + std::abs(r[0]), 0.02f) << c.name;
        EXPECT_GT(*std::max_element(l.begin(), l.end()), 0.1f) << c.name;
        EXPECT_TRUE(voice.done()) << c.name;
    }
}

TEST(TuneVoiceTest, EnvelopeStagesReachTheirLevels) {
    Envelope env(0.01f, 0.05f, 0.5f, 0.1f, 1000.0f);
    float peak = 0.0f;
    for (int i = 0; i < 10; ++i)
        peak = std::max(peak, env.next());
    EXPECT_FLOAT_EQ(peak, 1.0f); // attack done after 10 ms
    for (int i = 0; i < 200; ++i)
        env.next();
    EXPECT_NEAR(env.level(), 0.5f, 0.01f); // settled at the sustain level
    env.release();
    for (int i = 0; i < 100; ++i)
        env.next();
    EXPECT_LT(env.level(), 0.5f * 0.0011f); // -60 dB after the release time
    for (int i = 0; i < 100 && !env.done(); ++i)
        env.next();
    EXPECT_TRUE(env.done());
    EXPECT_EQ(env.level(), 0.0f);
}

TEST(TuneMasterTest, LimiterHoldsTheCeilingAndDelaysByItsLatency) {
    struct Case {
        const char* name;
        float level;    // of the input sine
        float burst;    // of a one-frame spike in the middle (0: none)
        bool untouched; // quiet input passes unchanged
        float radians;  // of the sine, per frame
    };
    // "between samples": a quarter-rate sine whose samples all miss its
    // crests by 3 dB; the limiter must see the crests it does not sample.
    const std::vector<Case> cases = {{"quiet", 0.5f, 0.0f, true, 0.05f},
                                     {"hot", 2.0f, 0.0f, false, 0.05f},
                                     {"spike", 0.3f, 8.0f, false, 0.05f},
                                     {"between samples", 1.0f, 0.0f, false, float(M_PI / 2)}};
    for (const Case& c : cases) {
        Limiter limiter(0.85f, 64, 0.1f, 44100.0f);
        const int n = 8000;
        std::vector<float> inL(n);
        for (int i = 0; i < n; ++i)
            inL[i] =
                c.level * std::sin(i * c.radians + float(M_PI / 4)) + (i == n / 2 ? c.burst : 0.0f);
        std::vector<float> l = inL;
        std::vector<float> r = inL;
        limiter.process(l.data(), r.data(), n);
        const int lag = limiter.latency();
        for (int i = 0; i < n; ++i)
            ASSERT_LE(std::abs(l[i]), 0.85f) << c.name << " frame " << i;
        if (c.untouched) {
            for (int i = lag; i < n; ++i)
                ASSERT_EQ(l[i], inL[i - lag]) << c.name << " frame " << i;
        } else {
            // Pulled down to the ceiling, no further than the loudest crest needs.
            float peak = c.level; // a sine's crest, sampled or not
            for (float s : inL)
                peak = std::max(peak, std::abs(s));
            EXPECT_NEAR(limiter.minGain(), 0.85f / peak, 0.02f) << c.name;
        }
    }
}

TEST(TuneWavTest, WritesAPlayableSixteenBitStereoFile) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "halvo-tune-test.wav").string();
    const std::vector<float> frames = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, -2.0f};
    {
        WavWriter wav(path, 44100);
        wav.write(frames.data(), 3);
        wav.close();
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path);
    ASSERT_EQ(bytes.size(), 44u + 3 * 4);
    auto u32 = [&](size_t at) {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
    };
    auto s16 = [&](size_t at) { return int16_t(bytes[at] | bytes[at + 1] << 8); };
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 36u + 12u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 44100u * 4);
    EXPECT_EQ(bytes[22], 2);  // channels
    EXPECT_EQ(bytes[34], 16); // bits
    EXPECT_EQ(u32(40), 12u);
    // Samples, clamped at full scale.
    const std::vector<int16_t> expected = {0, 32767, -32767, 16384, 32767, -32767};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(s16(44 + 2 * i), expected[i]) << i;
}

TEST(TuneWavTest, UnwritablePathNamesTheFile) {
    const std::string path = "/nonexistent-dir/tune.wav";
    try {
        WavWriter wav(path, 44100);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

TEST(TuneRendererTest, ExportedEventsLandOnTheirFrames) {
    // The visuals cut on the exported rows: the hit must start on that frame,
    // not a latency later. Checked for the first event of each kind in each
    // section, rendered alone.
    const Song song;
    const EventTable table(song);
    const std::map<std::string, std::set<Instrument>> played = {
        {"kick", {Instrument::Kick}},
        {"clap", {Instrument::Clap}},
        {"snare", {Instrument::Snare}},
        {"tom", {Instrument::Tom}},
        {"openhat", {Instrument::OpenHat}},
        {"crash", {Instrument::Crash}},
        {"boom", {Instrument::Boom}},
        {"riser", {Instrument::Riser}},
        {"fill", {Instrument::Snare, Instrument::Tom}}};
    std::set<std::pair<std::string, int>> seen;
    for (const EventTable::Event& e : table.events()) {
        const auto instruments = played.find(e.kind);
        if (instruments == played.end() ||
            !seen.insert({e.kind, static_cast<int>(e.row / 256.0)}).second)
            continue;
        Song alone = song;
        alone.filter([&](const NoteEvent& n) {
            return n.row == e.row && instruments->second.count(n.instrument) > 0;
        });
        ASSERT_FALSE(alone.events().empty()) << e.kind << " at row " << e.row;
        const int64_t hit = Song::frameAt(e.row);
        const std::vector<float> pcm = TuneRenderer::renderRange(alone, hit - 500, 1500);
        const auto first = std::find_if(pcm.begin(), pcm.end(), [](float s) { return s != 0.0f; });
        ASSERT_NE(first, pcm.end()) << e.kind << " at row " << e.row;
        const int64_t frame = hit - 500 + (first - pcm.begin()) / 2;
        EXPECT_GE(frame, hit) << e.kind << " at row " << e.row;
        EXPECT_LE(frame, hit + 1) << e.kind << " at row " << e.row;
    }
    EXPECT_GE(seen.size(), 40u);
}

TEST(TuneSongTest, EventTableIsSortedReadableAndComplete) {
    const Song song;
    std::ostringstream text;
    EventTable(song).write(text);
    std::istringstream in(text.str());
    std::map<std::string, int> counts;
    std::vector<std::string> sections;
    double previous = -1.0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        double row = -1.0;
        std::string kind;
        fields >> row >> kind;
        ASSERT_GE(row, previous) << line;
        previous = row;
        ++counts[kind];
        std::string rest;
        std::getline(fields, rest);
        if (kind == "section")
            sections.push_back(rest.substr(1));
        if (kind == "fill" || kind == "gap" || kind == "riser") {
            EXPECT_GT(std::stod(rest), row) << line; // the end row
        }
    }
    // One line for each kick and clap the renderer plays, each section, one end.
    auto played = [&song](Instrument instrument) {
        return std::count_if(
            song.events().begin(), song.events().end(),
            [instrument](const NoteEvent& e) { return e.instrument == instrument; });
    };
    EXPECT_EQ(counts["kick"], played(Instrument::Kick));
    EXPECT_EQ(counts["clap"], played(Instrument::Clap));
    EXPECT_EQ(counts["fill"], static_cast<int>(song.fills().size()));
    EXPECT_EQ(counts["end"], 1);
    EXPECT_EQ(counts["gap"], 1);
    ASSERT_EQ(sections.size(), Song::sections().size());
    EXPECT_EQ(sections[9], "drop 2");
    EXPECT_EQ(previous, Song::endRow);
}

namespace {

// Power of a signal at a frequency (one DFT bin).
double binPower(const std::vector<float>& x, double cyclesPerSample) {
    double re = 0.0;
    double im = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double phase = 2.0 * M_PI * cyclesPerSample * double(i);
        re += x[i] * std::cos(phase);
        im -= x[i] * std::sin(phase);
    }
    return (re * re + im * im) / double(x.size() * x.size());
}

} // namespace

TEST(TuneVoiceTest, OscillatorsKeepAliasingLow) {
    // 4410 samples at 44.1 kHz give 10 Hz bins. A 1130 Hz tone has harmonics on
    // multiples of 1130 Hz; what folds back above Nyquist lands between them.
    struct Case {
        const char* name;
        Wave wave;
        double maxAliasDb; // alias power against the fundamental
    };
    // A naive saw measures about -13 dB here.
    const std::vector<Case> cases = {
        {"saw", Wave::Saw, -25.0}, {"square", Wave::Square, -25.0}, {"sine", Wave::Sine, -60.0}};
    const int n = 4410;
    const double f0 = 1130.0 / 44100.0;
    for (const Case& c : cases) {
        Oscillator osc(c.wave);
        std::vector<float> x(n);
        for (float& s : x)
            s = osc.next(f0);
        double fundamental = binPower(x, f0);
        double alias = 0.0;
        for (int bin = 1; bin < n / 2; ++bin) {
            const double hz = bin * 10.0;
            const double harmonic = std::round(hz / 1130.0) * 1130.0;
            if (std::abs(hz - harmonic) > 20.0)
                alias += binPower(x, hz / 44100.0);
        }
        EXPECT_LT(10.0 * std::log10(alias / fundamental), c.maxAliasDb) << c.name;
    }
}

TEST(TuneVoiceTest, DrumsSitInTheirBandsAndStop) {
    struct Case {
        DrumKind kind;
        const char* name;
        double maxSeconds; // done by then
        float lowHz;       // most of its energy between lowHz and highHz
        float highHz;
    };
    const std::vector<Case> cases = {
        {DrumKind::Kick, "kick", 1.5, 20, 200},
        {DrumKind::Boom, "boom", 6.0, 20, 120},
        {DrumKind::Tom, "tom", 2.5, 80, 600},
        {DrumKind::Snare, "snare", 1.5, 150, 9000},
        {DrumKind::Clap, "clap", 1.5, 500, 5000},
        {DrumKind::ClosedHat, "closed hat", 0.5, 5000, 20000},
        {DrumKind::OpenHat, "open hat", 2.0, 5000, 20000},
        {DrumKind::Shaker, "shaker", 0.5, 3000, 14000},
        {DrumKind::Crash, "crash", 6.0, 3000, 20000},
    };
    for (const Case& c : cases) {
        DrumVoice drum(c.kind, 1.0f, 0.0f, 50.0f, 1, 44100.0f, 3);
        const int frames = static_cast<int>(c.maxSeconds * 44100.0);
        std::vector<float> l(frames, 0.0f);
        std::vector<float> r(frames, 0.0f);
        drum.render(l.data(), r.data(), frames);
        EXPECT_TRUE(drum.done()) << c.name;
        Svf highPass;
        Svf lowPass;
        highPass.set(c.lowHz, 0.7f, 44100.0f);
        lowPass.set(c.highHz, 0.7f, 44100.0f);
        double band = 0.0;
        double all = 0.0;
        for (float s : l) {
            const float b = lowPass.process(highPass.process(s).high).low;
            band += b * b;
            all += s * s;
        }
        EXPECT_GT(all, 1.0) << c.name; // it made a sound
        EXPECT_GT(band, 0.5 * all) << c.name;
    }
}

TEST(TuneMasterTest, EchoesAlternateSidesAndFade) {
    const int delay = 100;
    StereoDelay echo(delay, 0.5f, 0.0f);
    const int n = 1000;
    std::vector<float> in(n, 0.0f);
    in[0] = 1.0f;
    std::vector<float> l(n, 0.0f);
    std::vector<float> r(n, 0.0f);
    echo.process(in.data(), in.data(), l.data(), r.data(), n);
    struct Case {
        int frame;
        float left;
        float right;
    };
    // The first echo on the left, then right, left... each half as loud.
    const std::vector<Case> cases = {
        {0, 0.0f, 0.0f},    {100, 1.0f, 0.0f},   {200, 0.0f, 0.5f},
        {300, 0.25f, 0.0f}, {400, 0.0f, 0.125f}, {150, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(l[c.frame], c.left) << c.frame;
        EXPECT_FLOAT_EQ(r[c.frame], c.right) << c.frame;
    }
}

TEST(TuneMasterTest, ReverbTailIsWideAndDecays) {
    Reverb reverb(0.82f, 0.45f, 44100.0f);
    const int n = 44100 * 4;
    std::vector<float> in(n, 0.0f);
    in[0] = 1.0f;
    std::vector<float> l(n, 0.0f);
    std::vector<float> r(n, 0.0f);
    reverb.process(in.data(), in.data(), l.data(), r.data(), n);
    auto energy = [&](const std::vector<float>& x, int from, int to) {
        double e = 0.0;
        for (int i = from; i < to; ++i)
            e += double(x[i]) * x[i];
        return e;
    };
    // Nothing before the shortest comb; then a tail that dies away.
    EXPECT_EQ(energy(l, 0, 1000), 0.0);
    const double first = energy(l, 0, 44100);
    EXPECT_GT(first, 0.0);
    EXPECT_LT(energy(l, 44100 * 3, n), first * 1e-4);
    // The sides differ: the tail has width.
    double difference = 0.0;
    for (int i = 0; i < 44100; ++i)
        difference += double(l[i] - r[i]) * (l[i] - r[i]);
    EXPECT_GT(difference, 0.2 * first);
}

TEST(TuneSongTest, AutomationOpensFiltersAndFadesTheEnd) {
    const Song song;
    struct Case {
        double fromBar;
        double toBar;
        float Automation::*value;
        const char* name;
    };
    // Rising from one bar to the other, by at least a factor of three.
    const std::vector<Case> rising = {{0, 7.9, &Automation::padCutoff, "intro pads"},
                                      {8, 15.9, &Automation::arpCutoff, "arp opening"},
                                      {56.05, 63.9, &Automation::padCutoff, "build-up pads"},
                                      {56.05, 63.9, &Automation::arpCutoff, "build-up arp"},
                                      {56.0, 63.7, &Automation::masterCutoff, "build-up mix"}};
    for (const Case& c : rising) {
        float previous = 0.0f;
        for (double bar = c.fromBar; bar <= c.toBar; bar += 0.25) {
            const float v = song.automationAt(bar * 32.0).*c.value;
            EXPECT_GE(v, previous) << c.name << " at bar " << bar;
            previous = v;
        }
        EXPECT_GT(song.automationAt(c.toBar * 32.0).*c.value,
                  3.0f * song.automationAt(c.fromBar * 32.0).*c.value)
            << c.name;
    }
    EXPECT_EQ(song.automationAt(96.9 * 32.0).master, 1.0f);
    EXPECT_EQ(song.automationAt(Song::endRow).master, 0.0f);
    EXPECT_EQ(song.automationAt(98 * 32.0).master, 0.0f);
    // The gap before the drop, and the drop at full level with the filter open.
    EXPECT_EQ(song.automationAt(Song::gapRow - 0.1).master, 1.0f);
    EXPECT_EQ(song.automationAt(Song::gapRow + 1.0).master, 0.0f);
    EXPECT_EQ(song.automationAt(Song::dropRow).master, 1.0f);
    EXPECT_EQ(song.automationAt(Song::dropRow).masterCutoff, 0.0f);
}
