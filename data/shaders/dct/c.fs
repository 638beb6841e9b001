// DCT glitch, stage 3 of 4: the inverse 8-point DCT along the columns of
// every 8x8 block, back to coefficients along the rows. With DCTglitch above
// 0, some rows of blocks slip from a random block onwards, as a stream does
// after an error: their blocks are decoded from blocks further left and take
// a colour cast. Blocks cut by the top edge pass through (as in stage 2);
// rows touching the letterbox bars never slip.
// Expects: sampler2D iChannel0 (stage 2's output, unit 0), vec2 iResolution,
// float iTime (music rows: picks the slipping rows), float DCTglitch.
#version 330 core

uniform sampler2D iChannel0;
uniform vec2 iResolution;
uniform float iTime;
uniform float DCTglitch;

in vec2 uv;
out vec4 fragColor;

// Row n holds c(u) cos((2n + 1) u pi / 16) for u = 0..3, 4..7.
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

uint hash(uvec3 v) {
    uint h = (v.x * 0x8da6b343u) ^ (v.y * 0xd8163841u) ^ (v.z * 0xcb1ab31fu);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Whether the block row starting at pixel row y touches a letterbox bar (the
// picture framed at 2.35:1, as the letterbox pass frames it): the bars stay
// their plain colour, so no damage is done there.
bool touchesBar(int y) {
    float bar = max(0.0, 0.5 - 0.5 * iResolution.x / (iResolution.y * 2.35)) * iResolution.y;
    return float(y) < bar || float(y + 8) > iResolution.y - bar;
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

    // A slipping row decodes its blocks from further left, with a tint.
    int wholeBlocks = (last.x + 1) / 8;
    int blockX = origin.x / 8;
    uint h = hash(uvec3(uint(origin.y / 8), uint(floor(iTime * 0.5)), 0x5eedu));
    int first = int((h >> 16) % uint(max(wholeBlocks, 1)));
    bool slips = float(h & 0xffffu) < DCTglitch * 0.25 * 65536.0 && blockX >= first && all(whole) &&
                 !touchesBar(origin.y);
    int slip = slips ? 1 + int((h >> 8) % 6u) : 0;
    int x = max(blockX - slip, 0) * 8 + k.x;
    // The tint shifts the block's mean chroma; it rides on the row DC.
    float tintAmount = slips && k.x == 0 ? DCTglitch * 2.828427 : 0.0;
    vec3 tint = vec3(0.0, (h & 0x100u) == 0u ? 0.12 : -0.1, 0.1) * tintAmount;

    vec4 lo = whole.y ? inverseLo[k.y] : pickLo(k.y);
    vec4 hi = whole.y ? inverseHi[k.y] : pickHi(k.y);
    vec3 f = tint;
    for (int n = 0; n < 4; ++n) {
        f += lo[n] * texelFetch(iChannel0, ivec2(x, min(origin.y + n, last.y)), 0).rgb;
        f += hi[n] * texelFetch(iChannel0, ivec2(x, min(origin.y + 4 + n, last.y)), 0).rgb;
    }
    fragColor = vec4(f, 1.0);
}
