// FXAA pass: fast approximate anti-aliasing on the letterboxed picture.
// Finds edges by local luma contrast, decides whether each runs horizontally
// or vertically, searches along it for both ends and blends the pixel across
// the edge by how close it is to the nearer end; thin sub-pixel detail is
// softened by the contrast of the pixel against its 3x3 neighbourhood.
// Expects: sampler2D inputtex (the picture, unit 0, linear filtering, with
// its luma in alpha as the letterbox pass writes it), vec2 resolution (its
// size in pixels).
// A software renderer runs both sides of every branch, so the search is
// kept short: three growing steps reach 9 pixels each way.
#version 330 core

uniform sampler2D inputtex;
uniform vec2 resolution;

in vec2 uv;
out vec4 fragColor;

// Contrast below max(minimum, relative * brightest) is not an edge.
const float relativeThreshold = 0.166;
const float minimumThreshold = 0.0625;
// How much sub-pixel aliasing is removed (0: none, 1: soft).
const float subpixelAmount = 0.75;
// Edge-end search: steps in pixels, growing as the search goes further.
const int searchSteps = 3;
const float stepLength[searchSteps] = float[searchSteps](1.0, 2.0, 6.0);

float lumaAt(ivec2 p) {
    ivec2 last = ivec2(resolution) - 1;
    return texelFetch(inputtex, clamp(p, ivec2(0), last), 0).a;
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    vec2 texel = 1.0 / resolution;
    vec4 centre = texelFetch(inputtex, p, 0);

    float m = centre.a;
    float n = lumaAt(p + ivec2(0, 1));
    float s = lumaAt(p + ivec2(0, -1));
    float e = lumaAt(p + ivec2(1, 0));
    float w = lumaAt(p + ivec2(-1, 0));
    float brightest = max(m, max(max(n, s), max(e, w)));
    float darkest = min(m, min(min(n, s), min(e, w)));
    float contrast = brightest - darkest;
    if (contrast < max(minimumThreshold, brightest * relativeThreshold)) {
        fragColor = vec4(centre.rgb, 1.0);
        return;
    }

    float ne = lumaAt(p + ivec2(1, 1));
    float nw = lumaAt(p + ivec2(-1, 1));
    float se = lumaAt(p + ivec2(1, -1));
    float sw = lumaAt(p + ivec2(-1, -1));

    // Sub-pixel blend: how far the pixel stands out from its low-passed
    // neighbourhood, relative to the local contrast, eased in.
    float neighbourhood = (2.0 * (n + s + e + w) + (ne + nw + se + sw)) / 12.0;
    float subpixel = clamp(abs(neighbourhood - m) / contrast, 0.0, 1.0);
    subpixel = smoothstep(0.0, 1.0, subpixel);
    subpixel = subpixel * subpixel * subpixelAmount;

    // A horizontal edge changes along y: compare second differences.
    float alongY = abs(nw + sw - 2.0 * w) + 2.0 * abs(n + s - 2.0 * m) + abs(ne + se - 2.0 * e);
    float alongX = abs(nw + ne - 2.0 * n) + 2.0 * abs(w + e - 2.0 * m) + abs(sw + se - 2.0 * s);
    bool horizontal = alongY >= alongX;

    // The neighbour across the edge: the side with the larger luma step.
    float positive = horizontal ? n : e;
    float negative = horizontal ? s : w;
    float gradientPositive = abs(positive - m);
    float gradientNegative = abs(negative - m);
    float across = horizontal ? texel.y : texel.x;
    float otherSide;
    if (gradientPositive >= gradientNegative) {
        otherSide = positive;
    } else {
        otherSide = negative;
        across = -across;
    }
    float edgeLuma = 0.5 * (m + otherSide);
    float gradientScaled = 0.25 * max(gradientPositive, gradientNegative);

    // Walk along the edge, half a pixel towards the other side, where linear
    // filtering averages both sides, until the average leaves the edge's.
    vec2 start = gl_FragCoord.xy * texel;
    vec2 along = horizontal ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    if (horizontal)
        start.y += 0.5 * across;
    else
        start.x += 0.5 * across;

    vec2 end1 = start - along * stepLength[0];
    vec2 end2 = start + along * stepLength[0];
    float delta1 = texture(inputtex, end1).a - edgeLuma;
    float delta2 = texture(inputtex, end2).a - edgeLuma;
    bool done1 = abs(delta1) >= gradientScaled;
    bool done2 = abs(delta2) >= gradientScaled;
    for (int i = 1; i < searchSteps && !(done1 && done2); ++i) {
        if (!done1) {
            end1 -= along * stepLength[i];
            delta1 = texture(inputtex, end1).a - edgeLuma;
            done1 = abs(delta1) >= gradientScaled;
        }
        if (!done2) {
            end2 += along * stepLength[i];
            delta2 = texture(inputtex, end2).a - edgeLuma;
            done2 = abs(delta2) >= gradientScaled;
        }
    }

    vec2 centreUv = gl_FragCoord.xy * texel;
    float distance1 = horizontal ? centreUv.x - end1.x : centreUv.y - end1.y;
    float distance2 = horizontal ? end2.x - centreUv.x : end2.y - centreUv.y;
    bool nearerIs1 = distance1 < distance2;
    float nearest = min(distance1, distance2);
    float edgeLength = distance1 + distance2;

    // Blend only when the nearer end turns the way that this pixel's side of
    // the edge does; otherwise this pixel lies on the far side of a corner.
    bool centreDarker = m < edgeLuma;
    bool endDarker = (nearerIs1 ? delta1 : delta2) < 0.0;
    float edgeBlend = endDarker != centreDarker ? 0.5 - nearest / edgeLength : 0.0;

    float offset = max(edgeBlend, subpixel);
    vec2 sampleUv = centreUv;
    if (horizontal)
        sampleUv.y += offset * across;
    else
        sampleUv.x += offset * across;
    fragColor = vec4(texture(inputtex, sampleUv).rgb, 1.0);
}
