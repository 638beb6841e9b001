// Hands backdrop, presentation pass: grades the painting into the target
// with a soft tone curve that keeps it in the mid-to-dark range, a gentle
// lift of the blacks in the paint's own hue, a vignette and a faint grain.
// No time is given, so the grain's seed takes in the painting itself and
// moves as the paint does.
// Expects: sampler2D iChannel0 (the painting, unit 0). No other uniform.
// Writes: location 0 the picture; location 1 zero, so that a target with a
// second attachment (the particle ball's scene buffer) holds no stale data.
#version 330 core

uniform sampler2D iChannel0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 fragAux;

// 0 to 1 from a pixel and a seed.
float hash(uvec2 pixel, uint seed) {
    uint h = (pixel.x * 0x8da6b343u) ^ (pixel.y * 0xd8163841u) ^ (seed * 0xcb1ab31fu);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) / 16777216.0;
}

void main() {
    // The painting has the target's size: read it texel for texel.
    vec3 c = texelFetch(iChannel0, ivec2(gl_FragCoord.xy), 0).rgb;
    vec2 size = vec2(textureSize(iChannel0, 0));

    // Shoulder that rolls highlights off well below white.
    c = c * (1.0 + c / 1.8) / (1.0 + c);
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    // Blacks lifted a touch in the paint's own hue (grey where it is black).
    c += 0.017 * normalize(c + 0.002) * (1.0 - smoothstep(0.0, 0.15, luma));

    vec2 q = (uv - 0.5) * vec2(size.x / size.y, 1.0);
    c *= 1.0 - 0.45 * smoothstep(0.35, 1.0, length(q));

    uint seed = uint(fract(dot(c, vec3(97.0, 131.0, 173.0))) * 65536.0);
    float grain = hash(uvec2(gl_FragCoord.xy), seed) - 0.5;
    c += grain * 0.03 * sqrt(clamp(luma, 0.0, 1.0) + 0.02);

    fragColor = vec4(max(c, 0.0), 1.0);
    fragAux = vec4(0.0);
}
