// The mixer: voices per bus, kick-triggered ducking of the pads, arp and
// bass, a shared echo and reverb, DC removal, the master low-pass, gain and
// the limiter.
#include "tools/tune/TuneRenderer.h"

#include <algorithm>
#include <cmath>

namespace Sorva::Tune {

namespace {

constexpr float sampleRate = Song::sampleRate;

Patch padPatch() {
    Patch p;
    p.wave = Wave::Saw;
    p.oscillators = 4;
    p.detuneCents = 24.0f;
    p.width = 0.7f;
    p.gain = 0.22f;
    p.attack = 0.35f;
    p.decay = 1.5f;
    p.sustain = 0.8f;
    p.release = 1.1f;
    p.resonance = 0.6f;
    p.keyTrack = 0.3f;
    return p;
}

Patch arpPatch() {
    Patch p;
    p.wave = Wave::Saw;
    p.oscillators = 2;
    p.detuneCents = 10.0f;
    p.squareMix = 0.35f;
    p.gain = 0.55f;
    p.attack = 0.001f;
    p.decay = 0.22f;
    p.sustain = 0.0f;
    p.release = 0.12f;
    p.resonance = 1.1f;
    p.keyTrack = 0.4f;
    p.envOctaves = 2.0f;
    p.filterDecay = 0.1f;
    return p;
}

Patch bassPatch() {
    Patch p;
    p.wave = Wave::Saw;
    p.oscillators = 2;
    p.detuneCents = 8.0f;
    p.subLevel = 0.9f;
    p.drive = 0.6f;
    p.gain = 0.42f;
    p.attack = 0.003f;
    p.decay = 0.3f;
    p.sustain = 0.7f;
    p.release = 0.05f;
    p.resonance = 0.9f;
    p.keyTrack = 0.5f;
    p.envOctaves = 2.2f;
    p.filterDecay = 0.14f;
    p.filterSustain = 0.15f;
    return p;
}

Patch leadPatch() {
    Patch p;
    p.wave = Wave::Saw;
    p.oscillators = 3;
    p.detuneCents = 14.0f;
    p.width = 0.35f;
    p.squareMix = 0.2f;
    p.gain = 0.38f;
    p.attack = 0.012f;
    p.decay = 0.4f;
    p.sustain = 0.75f;
    p.release = 0.22f;
    p.resonance = 0.8f;
    p.keyTrack = 0.5f;
    p.envOctaves = 1.3f;
    p.filterDecay = 0.3f;
    p.filterSustain = 0.3f;
    p.vibratoCents = 18.0f;
    p.vibratoHz = 5.3f;
    p.vibratoDelay = 0.25f;
    return p;
}

const Patch pad = padPatch();
const Patch arp = arpPatch();
const Patch bass = bassPatch();
const Patch lead = leadPatch();

constexpr float leadCutoff = 1800.0f;
constexpr float bassCutoff = 220.0f;

// Drum levels, and whether the drum goes through the reverb.
struct DrumMix {
    float level;
    bool wet;
};

DrumMix drumMix(Instrument instrument) {
    switch (instrument) {
    case Instrument::Kick:
        return {0.38f, false};
    case Instrument::Snare:
        return {0.8f, true};
    case Instrument::Clap:
        return {1.8f, true};
    case Instrument::ClosedHat:
        return {2.4f, false};
    case Instrument::OpenHat:
        return {0.8f, false};
    case Instrument::Shaker:
        return {0.8f, false};
    case Instrument::Tom:
        return {0.4f, true};
    case Instrument::Crash:
        return {0.12f, true};
    case Instrument::Riser:
        return {0.8f, true};
    case Instrument::Boom:
        return {0.6f, false};
    default:
        return {0.0f, false};
    }
}

DrumKind drumKind(Instrument instrument) {
    switch (instrument) {
    case Instrument::Snare:
        return DrumKind::Snare;
    case Instrument::Clap:
        return DrumKind::Clap;
    case Instrument::ClosedHat:
        return DrumKind::ClosedHat;
    case Instrument::OpenHat:
        return DrumKind::OpenHat;
    case Instrument::Shaker:
        return DrumKind::Shaker;
    case Instrument::Tom:
        return DrumKind::Tom;
    case Instrument::Crash:
        return DrumKind::Crash;
    case Instrument::Riser:
        return DrumKind::Riser;
    case Instrument::Boom:
        return DrumKind::Boom;
    default:
        return DrumKind::Kick;
    }
}

// Echo every three sixteenths; the master gain sets the loudness before limiting.
const int delayFrames = static_cast<int>(std::lround(6 * Song::framesPerRow));
constexpr float masterGain = 1.1f;
constexpr float padSend = 0.4f;
constexpr float leadSend = 0.3f;
constexpr float arpSend = 0.25f;
constexpr float drumSend = 0.25f;
constexpr float echoSend = 0.3f;
constexpr float leadEcho = 0.35f;
constexpr float arpEcho = 0.22f;

// The drums are soft-clipped before the mix: the brief peaks of the clap's
// noise bursts and the kick's attack would otherwise make the master limiter
// pull the whole mix down on every hit, burying the very hits it reacts to.
constexpr float drumClip = 0.5f;

float clipDrums(float x) {
    const float y = std::clamp(x / drumClip, -3.0f, 3.0f);
    return drumClip * y * (27.0f + y * y) / (27.0f + 9.0f * y * y);
}

// The kick's push on the ducked buses: a 4 ms dip, then a recovery.
float duckShape(int64_t age) {
    const float t = age / sampleRate;
    if (t < 0.004f)
        return t / 0.004f;
    return std::exp(-(t - 0.004f) / 0.09f);
}

} // namespace

TuneRenderer::TuneRenderer(const Song& song, int64_t begin)
    : song_(song), pos_(std::max<int64_t>(0, begin - preroll)), delay_(delayFrames, 0.45f, 0.35f),
      reverb_(0.82f, 0.45f, sampleRate), limiter_(ceiling, 64, 0.12f, sampleRate) {
    dcL_.set(22.0f, 0.7f, sampleRate);
    dcR_.set(22.0f, 0.7f, sampleRate);
    const auto& events = song_.events();
    while (next_ < events.size() && Song::frameAt(events[next_].row) < pos_)
        ++next_;
    // Play the preroll and fill the limiter's look-ahead, unheard.
    int64_t skip = begin - pos_ + limiter_.latency();
    std::array<float, 2 * block> scratch{};
    while (skip > 0) {
        const int n = static_cast<int>(std::min<int64_t>(skip, block));
        render(scratch.data(), n);
        skip -= n;
    }
}

std::vector<float> TuneRenderer::renderRange(const Song& song, int64_t begin, int64_t count) {
    TuneRenderer renderer(song, begin);
    std::vector<float> out(static_cast<size_t>(count) * 2);
    renderer.render(out.data(), count);
    return out;
}

void TuneRenderer::render(float* interleaved, int64_t n) {
    std::array<float, block> l{};
    std::array<float, block> r{};
    while (n > 0) {
        const int count = static_cast<int>(std::min<int64_t>(n, block));
        synthesise(l.data(), r.data(), count);
        for (int i = 0; i < count; ++i) {
            interleaved[2 * i] = l[i];
            interleaved[2 * i + 1] = r[i];
        }
        interleaved += 2 * count;
        n -= count;
    }
}

void TuneRenderer::spawn(const NoteEvent& e, size_t index, int offset, int n) {
    const uint32_t seed = static_cast<uint32_t>(index * 7919u + 17u);
    const int64_t gate = Song::frameAt(e.row + e.length) - Song::frameAt(e.row);
    const Automation a = song_.automationAt(e.row);
    const Patch* patch = nullptr;
    Bus bus = PadBus;
    float cutoff = 0.0f;
    switch (e.instrument) {
    case Instrument::Pad:
        patch = &pad, bus = PadBus, cutoff = a.padCutoff;
        break;
    case Instrument::Arp:
        patch = &arp, bus = ArpBus, cutoff = a.arpCutoff;
        break;
    case Instrument::Bass:
        patch = &bass, bus = BassBus, cutoff = bassCutoff;
        break;
    case Instrument::Lead:
        patch = &lead, bus = LeadBus, cutoff = leadCutoff;
        break;
    default:
        break;
    }
    if (patch) {
        auto& voices = synths_[bus];
        voices.emplace_back(*patch, e.midi, e.velocity, e.pan, gate, sampleRate, seed);
        voices.back().render(busL_[bus].data() + offset, busR_[bus].data() + offset, n - offset,
                             cutoff);
        return;
    }
    const DrumMix mix = drumMix(e.instrument);
    bus = mix.wet ? WetDrums : DryDrums;
    auto& voices = drums_[bus];
    voices.emplace_back(drumKind(e.instrument), e.velocity * mix.level, e.pan, e.midi, gate,
                        sampleRate, seed);
    voices.back().render(busL_[bus].data() + offset, busR_[bus].data() + offset, n - offset);
    if (e.instrument == Instrument::Kick)
        kicks_.push_back(pos_ + offset);
}

void TuneRenderer::synthesise(float* l, float* r, int n) {
    for (int b = 0; b < busCount; ++b) {
        std::fill_n(busL_[b].begin(), n, 0.0f);
        std::fill_n(busR_[b].begin(), n, 0.0f);
    }
    const Automation a = song_.automationAt(pos_ / Song::framesPerRow);
    // The fade moves every frame: stepping it per block would be audible.
    const Automation next = song_.automationAt((pos_ + n) / Song::framesPerRow);
    const float gainStart = a.master * a.drive;
    const float gainEnd = next.master * next.drive;
    // The master low-pass always runs, so that closing it does not jump.
    const bool lowPass = a.masterCutoff > 0.0f;
    lowPassL_.set(lowPass ? a.masterCutoff : 18000.0f, 0.8f, sampleRate);
    lowPassR_.copyCoefficients(lowPassL_);
    const std::array<float, busCount> cutoffs = {a.padCutoff, a.arpCutoff, bassCutoff,
                                                 leadCutoff,  0.0f,        0.0f};

    // Voices already sounding, then the notes that start in this block.
    for (int b = 0; b < busCount; ++b) {
        auto& synths = synths_[b];
        for (SynthVoice& v : synths)
            v.render(busL_[b].data(), busR_[b].data(), n, cutoffs[b]);
        std::erase_if(synths, [](const SynthVoice& v) { return v.done(); });
        auto& drums = drums_[b];
        for (DrumVoice& v : drums)
            v.render(busL_[b].data(), busR_[b].data(), n);
        std::erase_if(drums, [](const DrumVoice& v) { return v.done(); });
    }
    const auto& events = song_.events();
    kicks_.clear();
    while (next_ < events.size()) {
        const int64_t start = Song::frameAt(events[next_].row);
        if (start >= pos_ + n)
            break;
        spawn(events[next_], next_, static_cast<int>(start - pos_), n);
        ++next_;
    }

    // Sends to the echo and the reverb.
    std::array<float, block> sendL{};
    std::array<float, block> sendR{};
    std::array<float, block> echoL{};
    std::array<float, block> echoR{};
    for (int i = 0; i < n; ++i) {
        sendL[i] = leadEcho * busL_[LeadBus][i] + arpEcho * busL_[ArpBus][i];
        sendR[i] = leadEcho * busR_[LeadBus][i] + arpEcho * busR_[ArpBus][i];
    }
    delay_.process(sendL.data(), sendR.data(), echoL.data(), echoR.data(), n);

    size_t kick = 0;
    std::array<float, block> duck{};
    for (int i = 0; i < n; ++i) {
        const int64_t frame = pos_ + i;
        while (kick < kicks_.size() && kicks_[kick] <= frame)
            lastKick_ = kicks_[kick++];
        duck[i] = a.duckDepth * duckShape(frame - lastKick_);
        sendL[i] = padSend * busL_[PadBus][i] * (1.0f - duck[i]) + leadSend * busL_[LeadBus][i] +
                   arpSend * busL_[ArpBus][i] + drumSend * busL_[WetDrums][i] + echoSend * echoL[i];
        sendR[i] = padSend * busR_[PadBus][i] * (1.0f - duck[i]) + leadSend * busR_[LeadBus][i] +
                   arpSend * busR_[ArpBus][i] + drumSend * busR_[WetDrums][i] + echoSend * echoR[i];
    }
    std::array<float, block> verbL{};
    std::array<float, block> verbR{};
    reverb_.process(sendL.data(), sendR.data(), verbL.data(), verbR.data(), n);

    for (int i = 0; i < n; ++i) {
        const float padGain = 1.0f - duck[i];
        const float arpGain = 1.0f - 0.6f * duck[i];
        const float bassGain = 1.0f - duck[i];
        float ml = busL_[PadBus][i] * padGain + busL_[ArpBus][i] * arpGain +
                   busL_[BassBus][i] * bassGain + busL_[LeadBus][i] +
                   clipDrums(busL_[DryDrums][i] + busL_[WetDrums][i]) + echoL[i] + verbL[i];
        float mr = busR_[PadBus][i] * padGain + busR_[ArpBus][i] * arpGain +
                   busR_[BassBus][i] * bassGain + busR_[LeadBus][i] +
                   clipDrums(busR_[DryDrums][i] + busR_[WetDrums][i]) + echoR[i] + verbR[i];
        ml = dcL_.process(ml).high;
        mr = dcR_.process(mr).high;
        const float fl = lowPassL_.process(ml).low;
        const float fr = lowPassR_.process(mr).low;
        if (lowPass) {
            ml = fl;
            mr = fr;
        }
        const float gain = masterGain * (gainStart + (gainEnd - gainStart) * i / n);
        l[i] = ml * gain;
        r[i] = mr * gain;
    }
    limiter_.process(l, r, n);
    pos_ += n;
}

} // namespace Sorva::Tune
