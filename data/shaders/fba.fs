// Blue feedback, evolving pass: the previous picture is carried one step
// along a swirling flow (read from the noise texture, which drifts), a slow
// zoom outwards and a turn about the steering centre, and fades a little,
// red first; fresh ink is painted in every step (a ring around the centre
// and blobs where the noise's cells peak), so the picture never dies out.
// The pass keeps its own frame clock in alpha: every pixel reads it from
// pixel (0, 0) and writes it back advanced.
// "resetMe" above 0.5 starts over: the history is not read at all and the
// clock restarts. Non-finite history reads as black.
// The fragment stage may run on the CPU (a software rasteriser), so the
// shader keeps to three texture reads and no transcendental functions.
// Expects: sampler2D iChannel0 (the previous output, window-sized, unit 0),
// sampler2D iChannel1 (tileable noise: r, g a divergence-free flow stored as
// 0.5 + flow / 40 in texture widths per unit; b fine noise; a cellular;
// unit 1), vec2 iResolution (pixels), vec3 iMouse (x, y: the centre, 0 to
// 1; z: a burst from the centre, 0 to 1), float resetMe.
#version 330 core

uniform sampler2D iChannel0;
uniform sampler2D iChannel1;
uniform vec2 iResolution;
uniform vec3 iMouse;
uniform float resetMe;

in vec2 uv;
out vec4 fragColor;

const float clockWrap = 100000.0;
const float flowRange = 20.0;

bool finite(float x) {
    return !isnan(x) && !isinf(x);
}

// A soft bump, 1 at 0 falling to 0 at |x| = 1.
float bump(float x) {
    float b = max(1.0 - abs(x), 0.0);
    return b * b;
}

// cos(2 pi x) to within 2 %, from a triangle wave rounded by a cubic.
float wave(float x) {
    float c = abs(fract(x) - 0.5) * 4.0 - 1.0;
    return c * (1.5 - 0.5 * c * c);
}

vec3 wave(vec3 x) {
    vec3 c = abs(fract(x) - 0.5) * 4.0 - 1.0;
    return c * (1.5 - 0.5 * c * c);
}

// cos(3 a + 2 pi p) for the angle a of the unit vector d: three lobes.
float lobes(vec2 d, float p) {
    float c3 = d.x * (4.0 * d.x * d.x - 3.0);
    float s3 = d.y * (3.0 - 4.0 * d.y * d.y);
    return c3 * wave(p) - s3 * wave(p - 0.25);
}

// Blues and cyans, with a touch of violet and white at the ends.
vec3 ink(float x) {
    return vec3(0.30, 0.55, 0.95) + vec3(0.30, 0.35, 0.20) * wave(x + vec3(0.55, 0.1, 0.0));
}

void main() {
    bool reset = resetMe > 0.5;
    float stored = texelFetch(iChannel0, ivec2(0), 0).a;
    float clock = (reset || !finite(stored)) ? 0.0 : mod(clamp(stored, 0.0, clockWrap) + 1.0, clockWrap);
    // About seconds at 60 frames a second.
    float t = clock / 60.0;

    float aspect = iResolution.x / iResolution.y;
    vec2 centre = clamp(iMouse.xy, 0.0, 1.0);
    vec2 q = (uv - centre) * vec2(aspect, 1.0);
    float inverse = inversesqrt(max(dot(q, q), 1e-8));
    float r = dot(q, q) * inverse;

    // The flow, where the noise has drifted to.
    vec4 n = texture(iChannel1, uv * vec2(aspect, 1.0) * 0.45 + vec2(0.011, 0.006) * t);
    vec2 flow = (n.rg - 0.5) * (2.0 * flowRange);

    // One step back along the flow: zoom out, turn, swirl.
    float burst = clamp(iMouse.z, 0.0, 1.0);
    float turn = 0.004 + 0.002 * wave(0.048 * t);
    vec2 back = (q + turn * vec2(q.y, -q.x)) * (0.992 - 0.02 * burst) + flow * 0.00035;
    vec2 from = centre + back * vec2(iResolution.y / iResolution.x, 1.0);
    vec4 previous = texture(iChannel0, clamp(from, vec2(0.0), vec2(1.0)));
    vec3 history = (reset || !finite(previous.r + previous.g + previous.b))
                       ? vec3(0.0)
                       : clamp(previous.rgb, 0.0, 4.0);

    // Fading, red first, so everything drifts towards blue as it ages.
    history *= vec3(0.955, 0.975, 0.985);

    // Fresh ink: a ring around the centre that breathes and changes hue...
    float ringRadius = 0.09 + 0.03 * wave(0.143 * t) + 0.25 * burst;
    float ring = bump((r - ringRadius) * 30.0) * (0.5 + 0.5 * lobes(q * inverse, 0.207 * t));
    vec3 now = ink(0.07 * t);
    vec3 colour = history + now * ring * 0.22;
    // ...blobs where the drifting cells peak, and a soft core.
    float blob = smoothstep(0.82, 0.97, n.a) * smoothstep(0.35, 0.75, n.b);
    colour += mix(now.brg, vec3(0.25, 0.6, 1.0), n.b) * blob * 0.06;
    colour += vec3(0.35, 0.75, 1.0) * bump(r * 6.0) * (0.04 + 0.5 * burst);

    fragColor = vec4(colour, clock);
}
