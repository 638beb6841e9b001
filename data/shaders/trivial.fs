// Letterbox pass: the picture framed at 2.35:1 between cinematic bars in the
// "letterbox" colour, with a soft vignette and a fine film grain that moves
// with the music. The bars themselves are the plain colour. Alpha carries
// the luma of the result, for the FXAA pass that follows.
// Expects: sampler2D textu (the blended scenes, unit 0), vec2 iResolution
// (pixels), float iGlobalTime (music rows), vec3 letterbox (bar colour).
#version 330 core

uniform sampler2D textu;
uniform vec2 iResolution;
uniform float iGlobalTime;
uniform vec3 letterbox;

in vec2 uv;
out vec4 fragColor;

const float pictureAspect = 2.35;
const float grainAmount = 0.045;

// Uniform noise in [0, 1) from a pixel and a frame number.
float grain(uvec2 pixel, uint frame) {
    uint h = (pixel.x * 0x8da6b343u) ^ (pixel.y * 0xd8163841u) ^ (frame * 0xcb1ab31fu);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) / 16777216.0;
}

void main() {
    float aspect = iResolution.x / iResolution.y;
    float bar = max(0.0, 0.5 - 0.5 * aspect / pictureAspect);
    // Pixels from the nearest bar edge, negative inside a bar.
    float inside = (min(uv.y, 1.0 - uv.y) - bar) * iResolution.y;

    vec3 scene = texelFetch(textu, ivec2(gl_FragCoord.xy), 0).rgb;

    // Vignette over the framed picture: 0 at its centre, 1 at its corners.
    vec2 q = (uv - 0.5) / vec2(1.0, 1.0 - 2.0 * bar);
    float corner = dot(q, q) * 2.0;
    scene *= mix(1.0, 0.55, smoothstep(0.3, 1.0, corner));

    // Grain: a new grain every half row, stronger in the shadows, as on film.
    float luma = dot(scene, vec3(0.299, 0.587, 0.114));
    float n = grain(uvec2(gl_FragCoord.xy), uint(iGlobalTime * 2.0)) - 0.5;
    scene += n * grainAmount * (1.0 - 0.6 * clamp(luma, 0.0, 1.0));

    vec3 picture = clamp(scene, 0.0, 1.0);
    vec3 framed = mix(letterbox, picture, clamp(inside + 0.5, 0.0, 1.0));
    fragColor = vec4(framed, dot(framed, vec3(0.299, 0.587, 0.114)));
}
