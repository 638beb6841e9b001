// Particle ball, particle draw, vertex stage: one camera-facing quad per
// particle, placed from the state just simulated, with one texel fetch. The
// dot is its diameter plus a depth-of-field blur that grows with the
// distance from the focus plane (at least about a pixel, at most 4.5% of the
// picture's height; the occlusion pass relies on that bound); its opacity
// drops as the blur spreads it and as it fades in and out over its life.
// The quad covers the dot out to 0.8 of its radius: beyond that the dot's
// profile is below an eighth and the dither keeps next to nothing, while the
// rasteriser would still shade every pixel of it. Parked, faded or clipped
// particles collapse outside the clip volume. The sun's direction in the
// quad's frame is worked out here, once a corner, and handed on as a linear
// term that interpolates exactly. The fog is left to the fragment stage:
// worked out here, four times a particle, it costs more than it saves at
// small picture sizes.
// Expects: attribute 0 = quad corner (x, y in -1..1), attribute 1 = state
// coordinate (i / 1023, j / 1023), one per instance; sampler2D state (xyz
// position; w packed by the simulation: bit 31 parked, bits 16..28 the part
// of its lifetime lived in 8191ths, bits 0..15 the colour as 5:6:5); mat4
// VpMtx (projection x view); vec3 camr (the up axis), camu (the right axis);
// float diameter (world units), focus (view depth in focus); vec2
// iResolution; vec3 fogSunDir (towards the sun).
// Passes on: lit (xy the place on the dot, -1..1 at its nominal rim; z the
// sun's side across it; w the sun's height over the picture), flat tint (the
// particle's colour), flat spot (xyz position, w the dither's shift, from
// the position), flat opacity.
#version 330 core

layout(location = 0) in vec3 corner;
layout(location = 1) in vec2 stateCoord;

uniform sampler2D state;
uniform mat4 VpMtx;
uniform vec3 camr;
uniform vec3 camu;
uniform float diameter;
uniform float focus;
uniform vec2 iResolution;
uniform vec3 fogSunDir;

noperspective out vec4 lit;
flat out vec3 tint;
flat out vec4 spot;
flat out float opacity;

// How much wider a particle gets per unit of distance from the focus plane.
const float aperture = 0.006;
// How far out the quad reaches, in the dot's radii.
const float reach = 0.8;

void main() {
    vec4 s = texelFetch(state, ivec2(stateCoord * 1023.0 + 0.5), 0);
    vec4 centre = VpMtx * vec4(s.xyz, 1.0);

    uint bits = floatBitsToUint(s.w);
    float life = float((bits >> 16) & 0x1fffu) * (1.0 / 8191.0);
    bool parked = (bits & 0x80000000u) != 0u;
    float fade = parked ? 0.0 : smoothstep(0.0, 0.05, life) * (1.0 - smoothstep(0.6, 1.0, life));
    // Clip units per world unit across the view: the projection's y scale.
    float scaleY = dot(vec3(VpMtx[0][1], VpMtx[1][1], VpMtx[2][1]), camr);
    float sharp = 0.5 * diameter * (0.5 + 0.5 * fade);
    float wide = sharp + aperture * abs(centre.w - focus);
    float pixel = 2.0 * centre.w / (scaleY * iResolution.y);
    float radius = clamp(wide, 0.7 * pixel, 0.09 * centre.w / scaleY);
    opacity = fade * min(sharp * sharp / (radius * radius), 1.0);

    if (!(opacity > 0.01) || !(centre.w > 0.05)) {
        gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
        return;
    }
    uvec3 rgb = uvec3(bits >> 11, bits >> 5, bits) & uvec3(31u, 63u, 31u);
    tint = vec3(rgb) * vec3(1.0 / 31.0, 1.0 / 63.0, 1.0 / 31.0);

    // The sun in the quad's frame: x to the viewer's right (-camu, the right
    // axis turned to face us), y up, z towards the viewer.
    vec3 sunDir = normalize(fogSunDir + vec3(0.0, 0.0, 1e-6));
    vec3 sunHere = vec3(-dot(sunDir, camu), dot(sunDir, camr), -dot(sunDir, cross(camu, camr)));
    vec2 onDot = corner.xy * reach;
    lit = vec4(onDot, dot(onDot, sunHere.xy), sunHere.z);

    spot = vec4(s.xyz, fract(dot(s.xyz, vec3(12.9898, 78.233, 37.719))));
    gl_Position = centre + vec4(onDot * radius * scaleY * vec2(iResolution.y / iResolution.x, 1.0), 0.0, 0.0);
}
