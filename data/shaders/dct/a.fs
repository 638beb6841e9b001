// DCT glitch, stage 1 of 4: colour to luma/chroma (YCbCr), then the forward
// 8-point DCT along the rows of every 8x8 block. The pixel in column u of a
// block holds coefficient u of its block row. Blocks cut by the right edge
// pass through untransformed (stage 4 does the same).
// Expects: sampler2D iChannel0 (the picture, unit 0), vec2 iResolution (its
// size in pixels), float iTime (music rows; not needed here).
#version 330 core

uniform sampler2D iChannel0;
uniform vec2 iResolution;
uniform float iTime;

in vec2 uv;
out vec4 fragColor;

// Row u holds the orthonormal basis c(u) cos((2n + 1) u pi / 16), n = 0..3, 4..7.
const vec4 forwardLo[8] = vec4[8](
    vec4(0.353553391, 0.353553391, 0.353553391, 0.353553391),
    vec4(0.490392640, 0.415734806, 0.277785117, 0.097545161),
    vec4(0.461939766, 0.191341716, -0.191341716, -0.461939766),
    vec4(0.415734806, -0.097545161, -0.490392640, -0.277785117),
    vec4(0.353553391, -0.353553391, -0.353553391, 0.353553391),
    vec4(0.277785117, -0.490392640, 0.097545161, 0.415734806),
    vec4(0.191341716, -0.461939766, 0.461939766, -0.191341716),
    vec4(0.097545161, -0.277785117, 0.415734806, -0.490392640));
const vec4 forwardHi[8] = vec4[8](
    vec4(0.353553391, 0.353553391, 0.353553391, 0.353553391),
    vec4(-0.097545161, -0.277785117, -0.415734806, -0.490392640),
    vec4(-0.461939766, -0.191341716, 0.191341716, 0.461939766),
    vec4(0.277785117, 0.490392640, 0.097545161, -0.415734806),
    vec4(0.353553391, -0.353553391, -0.353553391, 0.353553391),
    vec4(-0.415734806, -0.097545161, 0.490392640, -0.277785117),
    vec4(-0.191341716, 0.461939766, -0.461939766, 0.191341716),
    vec4(0.490392640, -0.415734806, 0.277785117, -0.097545161));

// Full-range YCbCr as JPEG uses it.
vec3 toYCbCr(vec3 rgb) {
    return vec3(dot(rgb, vec3(0.299, 0.587, 0.114)),
                dot(rgb, vec3(-0.168736, -0.331264, 0.5)),
                dot(rgb, vec3(0.5, -0.418688, -0.081312)));
}

// Weights that pick tap u alone: how a block cut by the edge passes through.
vec4 pickLo(int u) {
    return vec4(equal(ivec4(u), ivec4(0, 1, 2, 3)));
}
vec4 pickHi(int u) {
    return vec4(equal(ivec4(u), ivec4(4, 5, 6, 7)));
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    int u = p.x & 7;
    int x0 = p.x - u;
    int last = int(iResolution.x) - 1;
    // Chosen, not branched on: a software renderer would run both branches.
    bool whole = x0 + 7 <= last;
    vec4 lo = whole ? forwardLo[u] : pickLo(u);
    vec4 hi = whole ? forwardHi[u] : pickHi(u);
    // The transform is linear, so it runs on RGB and converts once.
    vec3 sum = vec3(0.0);
    for (int n = 0; n < 4; ++n) {
        sum += lo[n] * texelFetch(iChannel0, ivec2(min(x0 + n, last), p.y), 0).rgb;
        sum += hi[n] * texelFetch(iChannel0, ivec2(min(x0 + 4 + n, last), p.y), 0).rgb;
    }
    fragColor = vec4(toYCbCr(sum), 1.0);
}
