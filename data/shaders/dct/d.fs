// DCT glitch, stage 4 of 4: the inverse 8-point DCT along the rows of every
// 8x8 block, then luma/chroma back to colour; draws the final picture.
// Blocks cut by the right edge were never transformed (stage 1) and are
// only converted back.
// Expects: sampler2D iChannel0 (stage 3's output, unit 0), vec2 iResolution,
// float iTime (music rows; not needed here).
#version 330 core

uniform sampler2D iChannel0;
uniform vec2 iResolution;
uniform float iTime;

in vec2 uv;
out vec4 fragColor;

const vec4 inverseLo[8] = vec4[8](
    vec4(0.353553391, 0.490392640, 0.461939766, 0.415734806),
    vec4(0.353553391, 0.415734806, 0.191341716, -0.097545161),
    vec4(0.353553391, 0.277785117, -0.191341716, -0.490392640),
    vec4(0.353553391, 0.097545161, -0.461939766, -0.277785117),
    vec4(0.353553391, -0.097545161, -0.461939766, 0.277785117),
    vec4(0.353553391, -0.277785117, -0.191341716, 0.490392640),
    vec4(0.353553391, -0.415734806, 0.191341716, 0.097545161),
    vec4(0.353553391, -0.490392640, 0.461939766, -0.415734806));
const vec4 inverseHi[8] = vec4[8](
    vec4(0.353553391, 0.277785117, 0.191341716, 0.097545161),
    vec4(-0.353553391, -0.490392640, -0.461939766, -0.277785117),
    vec4(-0.353553391, 0.097545161, 0.461939766, 0.415734806),
    vec4(0.353553391, 0.415734806, -0.191341716, -0.490392640),
    vec4(0.353553391, -0.415734806, -0.191341716, 0.490392640),
    vec4(-0.353553391, -0.097545161, 0.461939766, -0.415734806),
    vec4(-0.353553391, 0.490392640, -0.461939766, 0.277785117),
    vec4(0.353553391, -0.277785117, 0.191341716, -0.097545161));

// The exact inverse of stage 1's full-range YCbCr.
vec3 toRgb(vec3 ycc) {
    return vec3(ycc.x + 1.402 * ycc.z,
                ycc.x - 0.344136286 * ycc.y - 0.714136286 * ycc.z,
                ycc.x + 1.772 * ycc.y);
}

// Weights that pick tap i alone: how a block cut by the edge passes through.
vec4 pickLo(int i) {
    return vec4(equal(ivec4(i), ivec4(0, 1, 2, 3)));
}
vec4 pickHi(int i) {
    return vec4(equal(ivec4(i), ivec4(4, 5, 6, 7)));
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    int i = p.x & 7;
    int x0 = p.x - i;
    int last = int(iResolution.x) - 1;
    bool whole = x0 + 7 <= last;
    vec4 lo = whole ? inverseLo[i] : pickLo(i);
    vec4 hi = whole ? inverseHi[i] : pickHi(i);
    vec3 f = vec3(0.0);
    for (int n = 0; n < 4; ++n) {
        f += lo[n] * texelFetch(iChannel0, ivec2(min(x0 + n, last), p.y), 0).rgb;
        f += hi[n] * texelFetch(iChannel0, ivec2(min(x0 + 4 + n, last), p.y), 0).rgb;
    }
    fragColor = vec4(clamp(toRgb(f), 0.0, 1.0), 1.0);
}
