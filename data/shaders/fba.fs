// Blue feedback, evolving pass: the previous picture is carried one step
// along a swirling flow (the curl of the noise texture, which drifts), a
// slow zoom outwards and a turn about the steering centre, and fades a
// little, red first; fresh ink is painted in every step (a ring around the
// centre and blobs where the noise's cells peak), so the picture never dies
// out. The pass keeps its own frame clock in alpha: every pixel reads it
// from pixel (0, 0) and writes it back advanced.
// "resetMe" above 0.5 starts over: the history is not read at all and the
// clock restarts. Non-finite history reads as black.
// Expects: sampler2D iChannel0 (the previous output, window-sized, unit 0),
// sampler2D iChannel1 (tileable noise: r, g, b fractal octaves from coarse
// to fine, a cellular; unit 1), vec2 iResolution (pixels), vec3 iMouse
// (x, y: the centre, 0 to 1; z: a burst from the centre, 0 to 1),
// float resetMe.
#version 330 core

uniform sampler2D iChannel0;
uniform sampler2D iChannel1;
uniform vec2 iResolution;
uniform vec3 iMouse;
uniform float resetMe;

in vec2 uv;
out vec4 fragColor;

const float clockWrap = 100000.0;

bool finite(vec4 v) {
    return !any(isnan(v)) && !any(isinf(v));
}

mat2 rotation(float a) {
    float c = cos(a);
    float s = sin(a);
    return mat2(c, s, -s, c);
}

// Blues and cyans, with a touch of violet and white at the ends.
vec3 ink(float x) {
    return vec3(0.30, 0.55, 0.95) + vec3(0.30, 0.35, 0.20) * cos(6.2831853 * (x + vec3(0.55, 0.1, 0.0)));
}

void main() {
    bool reset = resetMe > 0.5;
    vec4 stored = texelFetch(iChannel0, ivec2(0), 0);
    float clock = (reset || !finite(stored)) ? 0.0 : mod(clamp(stored.a, 0.0, clockWrap) + 1.0, clockWrap);
    // About seconds at 60 frames a second.
    float t = clock / 60.0;

    float aspect = iResolution.x / iResolution.y;
    vec2 centre = clamp(iMouse.xy, 0.0, 1.0);
    vec2 q = (uv - centre) * vec2(aspect, 1.0);
    float r = length(q);

    // The flow: curl of the noise's coarse octave, sampled where it drifts.
    vec2 n0 = uv * vec2(aspect, 1.0) * 0.45 + vec2(0.011, 0.006) * t;
    vec2 e = vec2(1.5 / 256.0, 0.0);
    vec4 n = texture(iChannel1, n0);
    float psi = n.r + 0.35 * n.g;
    vec4 nx = texture(iChannel1, n0 + e.xy);
    vec4 ny = texture(iChannel1, n0 + e.yx);
    vec2 grad = vec2(nx.r + 0.35 * nx.g - psi, ny.r + 0.35 * ny.g - psi) / e.x;
    vec2 curl = vec2(grad.y, -grad.x);

    // One step back along the flow: zoom out, turn, swirl.
    float burst = clamp(iMouse.z, 0.0, 1.0);
    vec2 back = rotation(0.004 + 0.002 * sin(0.3 * t)) * q * (0.992 - 0.02 * burst);
    back += curl * 0.00035;
    vec2 from = centre + back / vec2(aspect, 1.0);
    vec4 previous = texture(iChannel0, clamp(from, vec2(0.0), vec2(1.0)));
    vec3 history = (reset || !finite(previous)) ? vec3(0.0) : clamp(previous.rgb, 0.0, 4.0);

    // Fading, red first, so everything drifts towards blue as it ages.
    history *= vec3(0.955, 0.975, 0.985);

    // Fresh ink: a ring around the centre that breathes and changes hue...
    float ringRadius = 0.09 + 0.03 * sin(0.9 * t) + 0.25 * burst;
    float ring = exp(-abs(r - ringRadius) * 90.0) * (0.5 + 0.5 * sin(atan(q.y, q.x) * 3.0 + 1.3 * t));
    vec3 colour = history + ink(0.07 * t) * ring * 0.22;
    // ...blobs where the drifting cells peak, and a soft core.
    vec4 cells = texture(iChannel1, uv * vec2(aspect, 1.0) * 0.8 - vec2(0.004, 0.009) * t);
    float blob = smoothstep(0.82, 0.97, cells.a) * smoothstep(0.35, 0.75, cells.b);
    colour += ink(0.5 + 0.5 * cells.g + 0.03 * t) * blob * 0.06;
    colour += vec3(0.35, 0.75, 1.0) * exp(-r * 22.0) * (0.04 + 0.5 * burst);

    fragColor = vec4(colour, clock);
}
