// Web Audio output. The state lives on the page (Module.halvoOut): the
// buffer, the playing source, the context time playback started at and, while
// paused or before start, the frame it holds at.
#include "sync/WebAudioOutput.h"

#include <emscripten.h>

#include <stdexcept>

namespace {

EM_JS(int, halvoOutOpen, (), {
    if (typeof AudioContext == 'undefined')
        return 0;
    if (!Module.halvoAudioContext)
        Module.halvoAudioContext = new AudioContext({sampleRate : 44100});
    Module.halvoOut = {buffer : null, source : null, startTime : 0, held : 0, playing : false};
    return 1;
});

EM_JS(void, halvoOutClose, (), {
    const out = Module.halvoOut;
    if (out && out.source)
        out.source.stop();
    Module.halvoOut = null;
});

EM_JS(void, halvoOutSetTune, (const short* samples, int frames), {
    const ctx = Module.halvoAudioContext;
    const buffer = ctx.createBuffer(2, Math.max(frames, 1), 44100);
    const left = buffer.getChannelData(0);
    const right = buffer.getChannelData(1);
    const base = samples >> 1;
    for (let i = 0; i < frames; ++i) {
        left[i] = HEAP16[base + 2 * i] / 32768;
        right[i] = HEAP16[base + 2 * i + 1] / 32768;
    }
    Module.halvoOut.buffer = buffer;
    Module.halvoOut.frames = frames;
});

// Plays from `frame` on, or holds there.
EM_JS(void, halvoOutPlayFrom, (double frame, int play), {
    const out = Module.halvoOut;
    const ctx = Module.halvoAudioContext;
    if (out.source) {
        out.source.stop();
        out.source = null;
    }
    out.held = frame;
    out.playing = play && frame < out.frames;
    if (!out.playing)
        return;
    out.source = ctx.createBufferSource();
    out.source.buffer = out.buffer;
    out.source.connect(ctx.destination);
    out.source.start(0, frame / 44100);
    out.startTime = ctx.currentTime - frame / 44100;
});

// Frames played: the context's time since the start, less what the output
// still has to play (the latency the context reports), held at the end.
EM_JS(double, halvoOutPosition, (), {
    const out = Module.halvoOut;
    if (!out.playing)
        return out.held;
    const ctx = Module.halvoAudioContext;
    const latency = (ctx.outputLatency || 0) + (ctx.baseLatency || 0);
    const frames = (ctx.currentTime - out.startTime - latency) * 44100;
    return Math.min(Math.max(frames, out.held > 0 ? out.held : 0), out.frames);
});

// Where playback starts: the page's ?from=SECONDS, for watching or testing
// from a point of the show, else the beginning.
EM_JS(double, halvoOutStartFrame, (), {
    const from = Number(new URLSearchParams(location.search).get('from'));
    return Number.isFinite(from) && from > 0 ? Math.min(from * 44100, Module.halvoOut.frames) : 0;
});

} // namespace

namespace Sorva {

std::unique_ptr<AudioOutput> AudioOutput::openDevice() {
    return std::make_unique<WebAudioOutput>();
}

WebAudioOutput::WebAudioOutput() {
    if (!halvoOutOpen())
        throw std::runtime_error("this browser has no Web Audio");
}

WebAudioOutput::~WebAudioOutput() {
    halvoOutClose();
}

void WebAudioOutput::setTune(std::span<const std::int16_t> samples) {
    halvoOutSetTune(samples.data(), static_cast<int>(samples.size() / channels));
}

void WebAudioOutput::start() {
    if (started_)
        return;
    started_ = true;
    halvoOutPlayFrom(halvoOutStartFrame(), 1);
}

double WebAudioOutput::position() const {
    return halvoOutPosition();
}

void WebAudioOutput::seek(double frames) {
    halvoOutPlayFrom(frames, EM_ASM_INT({ return Module.halvoOut.playing ? 1 : 0; }));
}

void WebAudioOutput::setPaused(bool paused) {
    if (started_)
        halvoOutPlayFrom(position(), paused ? 0 : 1);
}

} // namespace Sorva
