// Blue feedback, compositing pass: the evolving picture, toned into deep
// blues and cyans, under three titles and the greetings. Each title sits
// centred at 80 % of the width with its aspect kept, icy white with a cyan
// halo, and is wiped in from its bottom row: only its rows below
// "uvYthreshold" (0 at the title's bottom, 1 at its top) show, with a
// bright line at the wipe. The greetings scroll up with "F": 0 just below
// the picture, 0.5 centred, 1 just above it; a glint sweeps across them.
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
const float greetsWidth = 0.62;
const float greetsAspect = 2.0;

// Where p falls in an image of the given width (in picture widths) and
// aspect centred on the point at; images are stored top row first.
vec2 placed(vec2 p, vec2 at, float width, float aspect) {
    vec2 size = vec2(width, width * iResolution.x / iResolution.y / aspect);
    vec2 local = (p - at) / size + 0.5;
    return vec2(local.x, 1.0 - local.y);
}

float inside(vec2 t) {
    return step(0.0, t.x) * step(t.x, 1.0) * step(0.0, t.y) * step(t.y, 1.0);
}

// An image laid over the colour, its white turned icy and its dark halo cyan.
vec3 over(vec3 colour, vec4 image, float weight, vec3 light, vec3 halo) {
    float luma = dot(image.rgb, vec3(0.299, 0.587, 0.114));
    vec3 tinted = mix(halo, light, smoothstep(0.1, 0.9, luma));
    return mix(colour, tinted, clamp(image.a * weight, 0.0, 1.0));
}

void main() {
    vec4 picture = texelFetch(iChannel0, ivec2(gl_FragCoord.xy), 0);
    float t = texelFetch(iChannel0, ivec2(0), 0).a / 60.0;
    if (isnan(t) || isinf(t))
        t = 0.0;

    // Tone: a soft shoulder, then the colour pulled into blue and cyan.
    vec3 bg = 1.0 - exp(-1.6 * max(picture.rgb, 0.0));
    float luma = dot(bg, vec3(0.299, 0.587, 0.114));
    bg = mix(vec3(luma * 0.35, luma * 0.75, luma * 1.2), bg, 0.55) + vec3(0.0, 0.012, 0.035);
    vec3 colour = clamp(bg, 0.0, 1.0) * weightBg;

    vec3 ice = vec3(0.86, 0.96, 1.0);
    vec3 halo = vec3(0.0, 0.35, 0.6);

    // Titles, sharing one wipe.
    vec2 title = placed(uv, vec2(0.5), titleWidth, titleAspect);
    float titleRow = 1.0 - title.y;
    float wipe = smoothstep(uvYthreshold + 0.02, uvYthreshold - 0.02, titleRow);
    float shown = inside(title) * wipe;
    // Outside the box (most of the picture) no title is read.
    if (shown > 0.0) {
        if (weightA != 0.0)
            colour = over(colour, texture(titleA, title), weightA * shown, ice, halo);
        if (weightB != 0.0)
            colour = over(colour, texture(titleB, title), weightB * shown, ice, halo);
        if (weightC != 0.0)
            colour = over(colour, texture(titleC, title), weightC * shown, ice, halo);
    }
    // The wipe's edge glows while it crosses the titles.
    float titles = clamp(abs(weightA) + abs(weightB) + abs(weightC), 0.0, 1.0);
    float crossing = smoothstep(0.0, 0.05, uvYthreshold) * smoothstep(1.0, 0.95, uvYthreshold);
    float span = smoothstep(-0.05, 0.1, title.x) * smoothstep(1.05, 0.9, title.x);
    float line = exp(-abs(titleRow - uvYthreshold) * 60.0) * span * crossing * titles;
    colour += vec3(0.4, 0.85, 1.0) * line * (0.8 + 0.2 * sin(40.0 * uv.x - 9.0 * t));

    // Greetings, scrolling up; a glint sweeps across them now and then.
    if (weightGreets != 0.0) {
        float height = greetsWidth * iResolution.x / iResolution.y / greetsAspect;
        vec2 at = vec2(0.5, 0.5 + (F - 0.5) * (1.0 + height));
        vec2 g = placed(uv, at, greetsWidth, greetsAspect);
        if (inside(g) > 0.0) {
            vec4 image = texture(greets, g);
            float glint = exp(-abs(g.x + 0.4 * g.y - 3.0 * fract(0.2 * t) + 0.6) * 12.0);
            colour = over(colour, image, weightGreets, vec3(0.8, 0.97, 1.0) + 0.5 * glint,
                          vec3(0.0, 0.12, 0.3));
        }
    }

    fragColor = vec4(colour, 1.0);
}
