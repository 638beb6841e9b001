// Particle ball, particle draw, vertex stage: one camera-facing triangle per
// particle, placed from the state just simulated, with one texel fetch. The
// dot is its diameter plus a depth-of-field blur that grows with the
// distance from the focus plane (at least about a pixel, at most 4.5% of the
// picture's height); its opacity drops as the blur spreads it and as it
// fades in and out over its life.
// The four corners of the instance's strip fold into one triangle: the
// corner at (1, 1) lands on the one at (1, -1), so the strip's second
// triangle has no area and is dropped before it is rasterised. The
// triangle is equilateral and holds the disc out to 0.8 of the dot's
// radius: beyond that the dot's profile is below an eighth and the dither
// keeps next to nothing. A rasteriser shades each triangle's pixels in
// blocks of its own, so one triangle where a quad has two shades about a
// sixth fewer pixels for these small dots, though it is larger, and sets
// up half the triangles. Parked, faded or clipped particles collapse
// outside the clip volume.
// Everything the fragment stage needs travels in one flat integer vector,
// worked out once a corner: where a software rasteriser runs this draw,
// each further output makes every particle's vertices dearer to store, set
// up and hand on, and costs more than the fragment stage spends unpacking.
// Expects: attribute 0 = quad corner (x, y in -1..1), attribute 1 = state
// coordinate (i / 1023, j / 1023), one per instance; sampler2D state (xyz
// position; w packed by the simulation: bit 31 parked, bits 16..28 how far
// it shows in 8191ths, bits 0..15 the colour as 5:6:5); mat4 VpMtx
// (projection x view, its w row the view direction); vec3 camr (the up
// axis), camu (the right axis), campos; float diameter (world units), focus
// (view depth in focus); vec2 iResolution; vec3 fogSunDir (towards the sun).
// Passes on: flat uvec4 particle: x and y the bits of the dot's centre in
// window pixels, z those of 1 / its nominal radius in pixels, each with its
// lowest byte replaced by a code of the sun's direction in the dot's frame
// (x to the viewer's right, y up, z towards the viewer; code = 127.5 * (d +
// 1) rounded, so -1..1 becomes 0..255), which moves the centre by a
// sixteenth of a pixel at most in pictures narrower than 8192 pixels; w:
// bits 0..15 the colour as 5:6:5, 16..23 the opacity and 24..31 the fog's
// glare, both in 255ths.
#version 330 core

layout(location = 0) in vec3 corner;
layout(location = 1) in vec2 stateCoord;

uniform sampler2D state;
uniform mat4 VpMtx;
uniform vec3 camr;
uniform vec3 camu;
uniform vec3 campos;
uniform float diameter;
uniform float focus;
uniform vec2 iResolution;
uniform vec3 fogSunDir;

flat out uvec4 particle;

// How much wider a particle gets per unit of distance from the focus plane.
const float aperture = 0.006;
// The radius of the disc the triangle holds, in the dot's radii.
const float reach = 0.8;

// Replaces the lowest byte of each float's bits by a code of a value in
// -1..1, rounding the float to the bits that are left.
uvec3 withCodes(vec3 carriers, vec3 coded) {
    uvec3 code = uvec3(coded * 127.5 + 128.0);
    return ((floatBitsToUint(carriers) + 128u) & ~255u) | min(code, 255u);
}

void main() {
    vec4 s = texelFetch(state, ivec2(stateCoord * 1023.0 + 0.5), 0);
    vec4 centre = VpMtx * vec4(s.xyz, 1.0);

    uint bits = floatBitsToUint(s.w);
    float fade = float((bits >> 16) & 0x1fffu) * (1.0 / 8191.0);
    // Clip units per world unit across the view: the projection's y scale.
    float scaleY = dot(vec3(VpMtx[0][1], VpMtx[1][1], VpMtx[2][1]), camr);
    float sharp = 0.5 * diameter * (0.5 + 0.5 * fade);
    float wide = sharp + aperture * abs(centre.w - focus);
    float pixel = 2.0 * centre.w / (scaleY * iResolution.y);
    float radius = clamp(wide, 0.7 * pixel, 0.09 * centre.w / scaleY);
    float opacity = fade * min(sharp * sharp / (radius * radius), 1.0);

    // Worked out for every particle and dropped at the end: a branch here
    // costs a software rasteriser more than the work it would skip.
    bool hidden = !(opacity > 0.01) || !(centre.w > 0.05);
    float perDepth = 1.0 / centre.w;
    vec2 centrePx = (centre.xy * perDepth * 0.5 + 0.5) * iResolution;
    float radiusPx = radius * scaleY * 0.5 * iResolution.y * perDepth;

    // The sun in the dot's frame, and how nearly the particle lies towards
    // the sun as the viewer sees it: the fog glows there.
    vec3 sunDir = normalize(fogSunDir + vec3(0.0, 0.0, 1e-6));
    // Towards the viewer is minus the view direction, the w row of VpMtx.
    vec3 toViewer = -vec3(VpMtx[0][3], VpMtx[1][3], VpMtx[2][3]);
    vec3 sunHere = vec3(-dot(sunDir, camu), dot(sunDir, camr), dot(sunDir, toViewer));
    float facing = clamp(dot(s.xyz - campos, sunDir) * perDepth, 0.0, 1.0);
    float glare = facing * facing * facing;
    glare *= glare;

    uint shares = (uint(opacity * 255.0 + 0.5) << 16) | (uint(glare * 255.0 + 0.5) << 24);
    particle = uvec4(withCodes(vec3(centrePx, 1.0 / radiusPx), sunHere), (bits & 0xffffu) | shares);
    // Corners (-1, -1) and (1, -1) go to the triangle's lower corners,
    // (-1, 1) to its apex and (1, 1) onto (1, -1). An equilateral triangle
    // reaches twice its inner radius from its centre.
    float apex = 0.25 * (1.0 + corner.y) * (1.0 - corner.x);
    vec2 fold = vec2(1.7320508 * corner.x * (1.0 - apex), 3.0 * apex - 1.0);
    vec2 offset = fold * reach * radius * scaleY * vec2(iResolution.y / iResolution.x, 1.0);
    gl_Position = hidden ? vec4(0.0, 0.0, 2.0, 1.0) : centre + vec4(offset, 0.0, 0.0);
}
