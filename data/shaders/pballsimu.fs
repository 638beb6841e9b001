// Particle ball, simulation: one step of 1024 x 1024 particles, one per texel.
// A living particle ages and is carried by a divergence-free flow (two
// octaves of an analytic ABC flow, the flow strengthening as it ages) plus
// its own velocity, which an impulse pushes outwards from a point and a drag
// slows down. A particle that is due (older than its lifetime, never born,
// or holding a non-finite state) respawns: it picks an emitter by the
// emitters' cumulative probabilities and lands on an opaque texel of that
// emitter's sprite, laid out at the emitter's position and scale, taking the
// texel's colour; after three misses it is parked invisible until due again.
// The state's w packs all else the particle draw needs, so that it reads one
// texel a corner: see packForDraw.
// Expects: sampler2D prevState (unit 0: xyz position, w packed), prevColor
// (unit 1: rgb colour), prevAcc (unit 2: xyz velocity, w age in seconds,
// negative while parked; 0 = never born), sampler2D sprites[3] (units 3..5);
// emitters[3] {vec3 pos, vec3 scale, float cumprob (ascending),
// float width, float height (the sprite's pixels, 0 when it failed to load)};
// vec3 impulsepos, float impulseradius, impulseforce (acceleration at the
// centre), impulsedecay (drag per second); float curlAmplitude, curlFreq;
// int frame (calls so far), float dt (seconds), float lyfetime (seconds).
// Writes: location 0 the state, 1 the colour, 2 the velocity (w unused), in
// the same layout as the inputs.
#version 330 core

struct Emitter {
    vec3 pos;
    vec3 scale;
    float cumprob;
    float width;
    float height;
};

uniform sampler2D prevState;
uniform sampler2D prevColor;
uniform sampler2D prevAcc;
uniform sampler2D sprites[3];
uniform Emitter emitters[3];
uniform vec3 impulsepos;
uniform float impulseradius;
uniform float impulseforce;
uniform float impulsedecay;
uniform float curlAmplitude;
uniform float curlFreq;
uniform int frame;
uniform float dt;
uniform float lyfetime;

in vec2 uv;

layout(location = 0) out vec4 outState;
layout(location = 1) out vec4 outColor;
layout(location = 2) out vec4 outAcc;

// A cap on a particle's own speed, so that no impulse flings it to infinity.
const float maxSpeed = 40.0;

uint hash(uint x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

float random(inout uint seed) {
    seed = hash(seed);
    return float(seed >> 8) * (1.0 / 16777216.0);
}

bool finite(vec4 v) {
    return !any(isnan(v)) && !any(isinf(v));
}

float finiteOr0(float x) {
    return isnan(x) || isinf(x) ? 0.0 : x;
}

// The bits of the state's w: bit 31 set while parked (so w < 0 exactly
// then), bit 30 set, bits 16..28 how far the particle shows in 8191ths (0
// while parked; it fades in over the first 5% of its lifetime and out over
// the last 40%), bits 0..15 its colour as 5:6:5. With bit 30 set and bit 29
// clear the float's exponent is never all ones or all zeros, so w is always
// a finite, normal number (|w| >= 2 while alive).
float packForDraw(bool parked, float lived, vec3 colour) {
    uvec3 c = uvec3(clamp(colour, 0.0, 1.0) * vec3(31.0, 63.0, 31.0) + 0.5);
    float fade = parked ? 0.0 : smoothstep(0.0, 0.05, lived) * (1.0 - smoothstep(0.6, 1.0, lived));
    uint shows = uint(fade * 8191.0 + 0.5) & 0x1fffu;
    return uintBitsToFloat((parked ? 0x80000000u : 0u) | 0x40000000u | (shows << 16) | (c.r << 11) |
                           (c.g << 5) | c.b);
}

// sin(x) to within 2e-4: a triangle wave through the quarter periods,
// rounded by an odd quintic. The built-in sin and cos cost many times as
// much where the fragment stage runs on the CPU (a software rasteriser).
vec3 sine(vec3 x) {
    vec3 s = 4.0 * abs(fract(x * 0.15915494 - 0.25) - 0.5) - 1.0;
    vec3 s2 = s * s;
    return s * (1.570796 - s2 * (0.64358 - 0.072775 * s2));
}

// Arnold-Beltrami-Childress flow: no component depends on its own axis,
// so it is divergence-free; its streamlines wind chaotically.
vec3 abc(vec3 p) {
    return sine(p.zxy) + sine(p.yzx + 1.5707963);
}

// A turned copy R^T abc(R p) stays divergence-free, so the sum does too.
const mat3 turn = mat3(0.36, 0.48, -0.80, -0.80, 0.60, 0.00, 0.48, 0.64, 0.60);

vec3 flow(vec3 p, float t) {
    vec3 v = abc(p + vec3(t, 1.3 - 0.7 * t, 2.1));
    v += 0.5 * (abc(turn * p * 2.03 + vec3(4.1, 0.7 + t, 2.9)) * turn);
    return v * 0.5;
}

// A sampler array takes only constant indices here, so all three sprites
// are read and one kept. texel lies within the chosen one's size; for the
// others the read may fall outside and its value is dropped.
vec4 spriteTexel(int j, ivec2 texel) {
    vec4 a = texelFetch(sprites[0], texel, 0);
    vec4 b = texelFetch(sprites[1], texel, 0);
    vec4 c = texelFetch(sprites[2], texel, 0);
    return j == 0 ? a : j == 1 ? b : c;
}

void main() {
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec4 state = texelFetch(prevState, texel, 0);
    vec4 colour = texelFetch(prevColor, texel, 0);
    vec4 acc = texelFetch(prevAcc, texel, 0);

    uint id = uint(texel.x) * 1024u + uint(texel.y);
    uint seed = hash(id ^ hash(uint(frame) * 0x9e3779b9u));
    // Each particle ages at its own pace, so lifetimes spread out.
    float pace = 0.6 + 0.8 * float(hash(id + 0x5bd1e995u) >> 8) * (1.0 / 16777216.0);

    float step = clamp(finiteOr0(dt), 0.0, 0.1);
    float life = max(finiteOr0(lyfetime), 0.0);
    float age = abs(acc.w) + step * pace;
    bool neverBorn = acc.w == 0.0;
    bool due = neverBorn || !(age < life) || !finite(state) || !finite(acc) || !finite(colour);

    if (due) {
        float pick = random(seed);
        int j = pick < emitters[0].cumprob ? 0
              : pick < emitters[1].cumprob ? 1
              : pick < emitters[2].cumprob ? 2 : -1;
        vec4 found = vec4(0.0);
        vec2 at = vec2(0.5);
        vec3 place = vec3(0.0);
        if (j >= 0) {
            Emitter e = emitters[j];
            if (e.width >= 1.0 && e.height >= 1.0) {
                for (int k = 0; k < 3; ++k) {
                    at = vec2(random(seed), random(seed));
                    found = spriteTexel(j, ivec2(at * vec2(e.width, e.height)));
                    if (found.a > 0.5)
                        break;
                }
            }
            // Image rows run top down; the camera looks along +z, so its
            // right is -x and the picture's x is flipped to read unmirrored.
            vec2 q = vec2((0.5 - at.x) * e.width / max(e.height, 1.0), 0.5 - at.y);
            // A slight dome towards the camera, thickest in the middle.
            float dome = 0.3 * max(1.0 - 2.0 * dot(q, q), 0.0) + 0.05 * random(seed);
            place = e.pos + vec3(q, -dome) * e.scale;
        }
        bool shown = found.a > 0.5 && all(lessThan(abs(place), vec3(1e6)));
        uint kick = hash(seed);
        vec3 jitter = vec3(uvec3(kick, kick >> 10, kick >> 20) & 1023u) / 1023.0 - 0.5;
        float born = neverBorn ? max(random(seed) * life, 1e-4) : 1e-4;
        vec3 tint = shown ? found.rgb : vec3(0.0);
        outState = vec4(shown ? place : vec3(0.0), packForDraw(!shown, born / max(life, 1e-3), tint));
        outColor = vec4(tint, 1.0);
        outAcc = vec4(0.05 * jitter, shown ? born : -born);
        return;
    }

    vec3 p = state.xyz;
    vec3 v = acc.xyz;
    float t = float(frame % 65536) * 0.0025;
    vec3 drift = flow(p * finiteOr0(curlFreq), t) * finiteOr0(curlAmplitude)
               * smoothstep(0.0, 0.35 * max(life, 1e-3), age);

    float radius = finiteOr0(impulseradius);
    vec3 away = p - impulsepos;
    float dist = length(away);
    float reach = radius > 0.0 ? 1.0 - smoothstep(0.0, radius, dist) : 0.0;
    v += away / max(dist, 1e-3) * finiteOr0(impulseforce) * reach * step;
    // exp(-drag) from the exponential's first terms, without exp.
    float drag = max(finiteOr0(impulsedecay), 0.0) * step;
    v /= 1.0 + drag * (1.0 + drag * (0.5 + drag / 6.0));
    float speed = length(v);
    v *= speed > maxSpeed ? maxSpeed / speed : 1.0;

    bool parked = acc.w < 0.0;
    outState = vec4(p + (v + drift) * step, packForDraw(parked, age / max(life, 1e-3), colour.rgb));
    outColor = colour;
    outAcc = vec4(v, parked ? -age : age);
}
