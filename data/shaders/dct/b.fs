// DCT glitch, stage 2 of 4: the forward 8-point DCT along the columns of
// every 8x8 block, completing the 2D transform (pixel (u, v) of a block holds
// coefficient (u, v) of Y, Cb and Cr), then JPEG-style quantisation and
// block corruption. With Decimate and DCTglitch at 0 nothing is lost.
// Blocks touching the letterbox bars are never corrupted.
// Blocks cut by the top edge pass through untransformed (stage 3 likewise).
// Expects: sampler2D iChannel0 (stage 1's output, unit 0), vec2 iResolution,
// float iTime (music rows: picks the corrupted blocks), float Decimate
// (0: exact, 1: a very low quality JPEG), float DCTglitch (0: none, 1: heavy).
#version 330 core

uniform sampler2D iChannel0;
uniform vec2 iResolution;
uniform float iTime;
uniform float Decimate;
uniform float DCTglitch;

in vec2 uv;
out vec4 fragColor;

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

// The example quantisation tables of the JPEG standard, row v, column u.
const float lumaSteps[64] = float[64](
    16.0, 11.0, 10.0, 16.0, 24.0, 40.0, 51.0, 61.0,
    12.0, 12.0, 14.0, 19.0, 26.0, 58.0, 60.0, 55.0,
    14.0, 13.0, 16.0, 24.0, 40.0, 57.0, 69.0, 56.0,
    14.0, 17.0, 22.0, 29.0, 51.0, 87.0, 80.0, 62.0,
    18.0, 22.0, 37.0, 56.0, 68.0, 109.0, 103.0, 77.0,
    24.0, 35.0, 55.0, 64.0, 81.0, 104.0, 113.0, 92.0,
    49.0, 64.0, 78.0, 87.0, 103.0, 121.0, 120.0, 101.0,
    72.0, 92.0, 95.0, 98.0, 112.0, 100.0, 103.0, 99.0);
const float chromaSteps[64] = float[64](
    17.0, 18.0, 24.0, 47.0, 99.0, 99.0, 99.0, 99.0,
    18.0, 21.0, 26.0, 66.0, 99.0, 99.0, 99.0, 99.0,
    24.0, 26.0, 56.0, 99.0, 99.0, 99.0, 99.0, 99.0,
    47.0, 66.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0,
    99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0,
    99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0,
    99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0,
    99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0, 99.0);

// Decimate 1 scales the tables to about quality 8 of a JPEG encoder.
const float decimateScale = 6.0;

uint hash(uvec3 v) {
    uint h = (v.x * 0x8da6b343u) ^ (v.y * 0xd8163841u) ^ (v.z * 0xcb1ab31fu);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

vec3 quantise(vec3 c, ivec2 k) {
    if (Decimate <= 0.0)
        return c;
    int i = k.y * 8 + k.x;
    vec3 q = Decimate * decimateScale / 255.0 * vec3(lumaSteps[i], chromaSteps[i], chromaSteps[i]);
    return round(c / q) * q;
}

// Whether the block row starting at pixel row y touches a letterbox bar (the
// picture framed at 2.35:1, as the letterbox pass frames it): the bars stay
// their plain colour, so no damage is done there.
bool touchesBar(int y) {
    float bar = max(0.0, 0.5 - 0.5 * iResolution.x / (iResolution.y * 2.35)) * iResolution.y;
    return float(y) < bar || float(y + 8) > iResolution.y - bar;
}

// What a damaged stream does to a block: its detail lost, a stuck
// coefficient striping it, its chroma gone wild, or its detail inverted.
vec3 corrupt(vec3 c, ivec2 block, ivec2 k) {
    if (DCTglitch <= 0.0 || touchesBar(block.y * 8))
        return c;
    // Damage comes in runs of three blocks along a row, as in a stream; a
    // new choice of runs every two rows.
    uint h = hash(uvec3(uint(block.x / 3), uint(block.y), uint(floor(iTime * 0.5))));
    if (float(h & 0xffffu) >= DCTglitch * 0.12 * 65536.0)
        return c;
    uint kind = (h >> 16) & 3u;
    bool dc = k == ivec2(0);
    if (kind == 0u)
        return dc ? c : vec3(0.0);
    if (kind == 1u) {
        ivec2 stuck = ivec2(1 + int((h >> 18) % 7u), int((h >> 21) & 7u));
        float sign = ((h >> 24) & 1u) == 0u ? 1.0 : -1.0;
        return k == stuck ? c + vec3(sign * 2.5 * DCTglitch, 0.0, 0.0) : c;
    }
    if (kind == 2u) {
        // Green when both chroma swing low, magenta when both swing high.
        float swing = ((h >> 24) & 1u) == 0u ? -3.0 : 2.0;
        return dc ? vec3(c.x, vec2(swing * DCTglitch)) : c;
    }
    return dc ? c : -1.5 * c;
}

// Weights that pick tap v alone: how a block cut by the edge passes through.
vec4 pickLo(int v) {
    return vec4(equal(ivec4(v), ivec4(0, 1, 2, 3)));
}
vec4 pickHi(int v) {
    return vec4(equal(ivec4(v), ivec4(4, 5, 6, 7)));
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    ivec2 k = p & 7;
    ivec2 origin = p - k;
    ivec2 last = ivec2(iResolution) - 1;
    bvec2 whole = lessThanEqual(origin + 7, last);
    vec4 lo = whole.y ? forwardLo[k.y] : pickLo(k.y);
    vec4 hi = whole.y ? forwardHi[k.y] : pickHi(k.y);
    vec3 c = vec3(0.0);
    for (int n = 0; n < 4; ++n) {
        c += lo[n] * texelFetch(iChannel0, ivec2(p.x, min(origin.y + n, last.y)), 0).rgb;
        c += hi[n] * texelFetch(iChannel0, ivec2(p.x, min(origin.y + 4 + n, last.y)), 0).rgb;
    }
    // Only whole blocks hold true 2D coefficients.
    vec3 damaged = corrupt(quantise(c, k), origin / 8, k);
    fragColor = vec4(all(whole) ? damaged : c, 1.0);
}
