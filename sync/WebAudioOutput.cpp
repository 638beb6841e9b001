// Web Audio output. The state lives on the page (Module.halvoOut): the
// buffer, the playing source, the context time the tune's frame 0 is heard
// at, the frame playback holds at while paused, and, once the device is
// lost, the frame and page time the silent clock goes on from.
#include "sync/WebAudioOutput.h"

#include <emscripten.h>

#include <cstdio>
#include <stdexcept>

namespace {

EM_JS(int, halvoOutOpen, (), {
    if (typeof AudioContext == 'undefined')
        return 0;
    if (!Module.halvoAudioContext)
        Module.halvoAudioContext = new AudioContext({sampleRate : 44100});
    const out = Module.halvoOut = {
        buffer : null,
        source : null,
        frames : 0,
        startTime : 0,
        held : 0,
        last : 0,
        playing : false,
        watchClock : -1,
        watchSince : 0,
        deviceError : false,
        lost : 0,
        lostFrame : 0,
        lostAt : 0
    };
    // The browser's word that the output device failed (it was removed).
    Module.halvoAudioContext.addEventListener(
        'error', function() { out.deviceError = true; });
    // However the program ends, the page silences it with this: the show's
    // end, a failure, or an abort that runs no more of the program.
    Module.halvoStopSound = function() {
        if (out.source)
            out.source.stop();
        out.source = null;
    };
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

// Plays from `frame` on, or holds there. The source starts a little ahead
// of the context's time, so that it starts exactly then and the frame heard
// at each context time is known.
EM_JS(void, halvoOutPlayFrom, (double frame, int play), {
    const out = Module.halvoOut;
    const ctx = Module.halvoAudioContext;
    if (out.source) {
        out.source.stop();
        out.source = null;
    }
    out.held = out.last = frame;
    out.playing = play && frame < out.frames;
    out.watchClock = -1;
    out.watchSince = performance.now();
    if (!out.playing)
        return;
    if (out.lost) {
        out.lostFrame = frame;
        out.lostAt = performance.now();
        return;
    }
    const when = ctx.currentTime + 0.05;
    out.source = ctx.createBufferSource();
    out.source.buffer = out.buffer;
    out.source.connect(ctx.destination);
    out.source.start(when, frame / 44100);
    out.startTime = when - frame / 44100;
});

// Frames heard, held at the end and never less than last time. The output's
// timestamp says which context time was heard at which page time; between
// its updates the page's clock carries it on, but never past the context's
// time, the end of the sound rendered so far: when the browser falls behind
// (a busy machine), the output runs dry there and plays silence until it
// catches up. Browsers without timestamps give the
// context's time less the latency it reports. A clock standing still for
// stallSeconds while playing, or an error from the device, loses it: the
// source is stopped and the page's clock goes on from there.
EM_JS(double, halvoOutPosition, (double stallMs), {
    const out = Module.halvoOut;
    if (!out.playing)
        return out.held;
    const now = performance.now();
    if (!out.lost) {
        const ctx = Module.halvoAudioContext;
        const stamp = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
        let heard = 0;
        let clock = 0;
        if (stamp && stamp.performanceTime > 0) {
            clock = stamp.contextTime;
            heard =
                Math.min(clock + Math.max(now - stamp.performanceTime, 0) / 1000, ctx.currentTime);
        } else {
            clock = ctx.currentTime;
            heard = clock - (ctx.outputLatency || 0) - (ctx.baseLatency || 0);
        }
        if (clock != out.watchClock) {
            out.watchClock = clock;
            out.watchSince = now;
        }
        out.lost = out.deviceError ? 1 : now - out.watchSince > stallMs ? 2 : 0;
        if (!out.lost) {
            const frames = (heard - out.startTime) * 44100;
            out.last = Math.min(Math.max(frames, out.last), out.frames);
            return out.last;
        }
        if (out.source) {
            out.source.stop();
            out.source = null;
        }
        out.lostFrame = out.last;
        out.lostAt = now;
    }
    return Math.min(out.lostFrame + (now - out.lostAt) * 44.1, out.frames);
});

// Why the device was lost: 0 it was not, 1 it failed, 2 it stalled.
EM_JS(int, halvoOutLost, (), { return Module.halvoOut.lost; });

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
    halvoOutPlayFrom(0, 1);
}

double WebAudioOutput::position() const {
    const double at = halvoOutPosition(stallSeconds * 1000.0);
    if (!lostTold_) {
        if (const int why = halvoOutLost()) {
            lostTold_ = true;
            std::fprintf(stderr,
                         "halvo: the sound device was lost (%s); the show goes on silently\n",
                         why == 1 ? "it failed" : "it stopped taking sound");
        }
    }
    return at;
}

void WebAudioOutput::seek(double frames) {
    halvoOutPlayFrom(frames, EM_ASM_INT({ return Module.halvoOut.playing ? 1 : 0; }));
}

void WebAudioOutput::setPaused(bool paused) {
    if (started_)
        halvoOutPlayFrom(position(), paused ? 0 : 1);
}

} // namespace Sorva
