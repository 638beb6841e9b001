// Blue feedback, compositing pass: the evolving picture, toned into deep
// blues and cyans, under three titles and the greetings. Each title sits
// centred at 80 % of the width with its aspect kept, icy white with a cyan
// halo, and is wiped in from its bottom row: only its rows below
// "uvYthreshold" (0 at the title's bottom, 1 at its top) show, with a
// bright line at the wipe that shimmers as it climbs. The greetings
// scroll up with "F": 0 just below the picture, 0.5 centred, 1 just above
// it; a glint sweeps across them as they go. The three titles are weighted
// into one image and tinted once.
// The images are read texel for texel, without filtering: at 80 % of a
// 1280-pixel width they are drawn one texel to a pixel, and larger pictures
// get their edges smoothed by the post chain's anti-aliasing. A filtered
// read costs several times as much where the fragment stage runs on the
// CPU (a software rasteriser).
// Expects: sampler2D iChannel0 (the picture from the evolving pass, its
// frame clock in alpha; unit 0), sampler2D titleA, titleB, titleC (4:1
// RGBA images; units 1 to 3), sampler2D greets (RGBA image; unit 4),
// vec2 iResolution (pixels), float weightBg, weightA, weightB, weightC,
// weightGreets, uvYthreshold, F.
#version 330 core

uniform sampler2D iChannel0;
uniform sampler2D titleA;
uniform sampler2D titleB;
uniform sampler2D titleC;
uniform sampler2D greets;
uniform vec2 iResolution;
uniform float weightBg;
uniform float weightA;
uniform float weightB;
uniform float weightC;
uniform float weightGreets;
uniform float uvYthreshold;
uniform float F;

in vec2 uv;
out vec4 fragColor;

const float titleWidth = 0.8;   // of the picture's width
const float titleAspect = 4.0;
const float greetsWidth = 0.8;
const float greetsAspect = 2.0;

// Where p falls in an image of the given width (in picture widths) and
// aspect centred on the point at; images are stored top row first.
vec2 placed(vec2 p, vec2 at, float width, float aspect) {
    vec2 size = vec2(width, width * iResolution.x / iResolution.y / aspect);
    vec2 local = (p - at) / size + 0.5;
    return vec2(local.x, 1.0 - local.y);
}

float inside(vec2 t) {
    vec2 s = step(abs(t - 0.5), vec2(0.5));
    return s.x * s.y;
}

// The texel of an image under t (0 to 1 across it), kept within the image:
// outside it, inside() drops what is read.
ivec2 texelOf(sampler2D image, vec2 t) {
    ivec2 size = textureSize(image, 0);
    return clamp(ivec2(t * vec2(size)), ivec2(0), size - 1);
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

void main() {
    vec4 picture = texelFetch(iChannel0, ivec2(gl_FragCoord.xy), 0);

    // Tone: a soft shoulder, then the colour pulled into blue and cyan.
    vec3 y = 1.6 * max(picture.rgb, 0.0);
    vec3 bg = y * (1.0 + 0.5 * y) / (1.0 + y * (1.0 + 0.5 * y));
    float luma = dot(bg, vec3(0.299, 0.587, 0.114));
    bg = mix(vec3(luma * 0.35, luma * 0.75, luma * 1.2), bg, 0.55) + vec3(0.0, 0.012, 0.035);
    vec3 colour = clamp(bg, 0.0, 1.0) * weightBg;

    vec3 ice = vec3(0.86, 0.96, 1.0);
    vec3 halo = vec3(0.0, 0.35, 0.6);

    // Titles, sharing one wipe and one tint: the three images weighted
    // into one, then laid over the picture.
    vec2 title = placed(uv, vec2(0.5), titleWidth, titleAspect);
    float titleRow = 1.0 - title.y;
    float wipe = clamp((uvYthreshold - titleRow) * 25.0 + 0.5, 0.0, 1.0);
    ivec2 texel = texelOf(titleA, title);
    vec3 weight = max(vec3(weightA, weightB, weightC), 0.0);
    vec4 image = texelFetch(titleA, texel, 0) * weight.x + texelFetch(titleB, texel, 0) * weight.y +
                 texelFetch(titleC, texel, 0) * weight.z;
    float weights = weight.x + weight.y + weight.z;
    vec3 tinted = mix(halo, ice, clamp(image.g / max(weights, 1e-3), 0.0, 1.0));
    colour = mix(colour, tinted, clamp(image.a * inside(title) * wipe, 0.0, 1.0));

    // The wipe's edge glows while it crosses the titles, shimmering as it goes.
    float crossing = clamp(min(uvYthreshold, 1.0 - uvYthreshold) * 20.0, 0.0, 1.0);
    float span = clamp(min(title.x + 0.05, 1.05 - title.x) * 8.0, 0.0, 1.0);
    float line = bump((titleRow - uvYthreshold) * 40.0) * span * crossing * min(weights, 1.0);
    colour += vec3(0.4, 0.85, 1.0) * line * (0.8 + 0.2 * wave(6.366 * uv.x - 4.0 * uvYthreshold));

    // Greetings, scrolling up; a glint sweeps across them as they go.
    float height = greetsWidth * iResolution.x / iResolution.y / greetsAspect;
    vec2 g = placed(uv, vec2(0.5, 0.5 + (F - 0.5) * (1.0 + height)), greetsWidth, greetsAspect);
    vec4 greeting = texelFetch(greets, texelOf(greets, g), 0);
    float glint = bump((g.x + 0.4 * g.y - fract(3.0 * F) * 2.0 + 0.4) * 6.0);
    vec3 greetTint = mix(vec3(0.0, 0.12, 0.3), vec3(0.8, 0.97, 1.0) + 0.5 * glint, greeting.g);
    colour = mix(colour, greetTint, clamp(greeting.a * weightGreets * inside(g), 0.0, 1.0));

    fragColor = vec4(colour, 1.0);
}
