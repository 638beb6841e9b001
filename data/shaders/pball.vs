// Particle ball, particle draw, vertex stage: one camera-facing quad per
// particle, placed from the state just simulated, with one texel fetch. The
// quad is its diameter plus a depth-of-field blur that grows with the
// distance from the focus plane (at least about a pixel, at most 4.5% of the
// picture's height; the occlusion pass relies on that bound); its opacity
// drops as the blur spreads it and as it fades in and out over its life.
// Parked, faded or clipped particles collapse outside the clip volume. The
// particle's colour comes packed in the same texel; fog and light are left
// to the fragment stage.
// Expects: attribute 0 = quad corner (x, y in -1..1), attribute 1 = state
// coordinate (i / 1023, j / 1023), one per instance; sampler2D state (xyz
// position; w packed by the simulation: bit 31 parked, bits 16..28 the part
// of its lifetime lived in 8191ths, bits 0..15 the colour as 5:6:5); mat4
// VpMtx (projection x view); vec3 camr (the up axis); float diameter (world
// units), focus (view depth in focus); vec2 iResolution.
// Passes on: quad (corner), flat tint (the particle's colour), flat spot
// (xyz position, w view depth), flat opacity.
#version 330 core

layout(location = 0) in vec3 corner;
layout(location = 1) in vec2 stateCoord;

uniform sampler2D state;
uniform mat4 VpMtx;
uniform vec3 camr;
uniform float diameter;
uniform float focus;
uniform vec2 iResolution;

out vec2 quad;
flat out vec3 tint;
flat out vec4 spot;
flat out float opacity;

// How much wider a particle gets per unit of distance from the focus plane.
const float aperture = 0.006;

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
    quad = corner.xy;
    uvec3 rgb = uvec3(bits >> 11, bits >> 5, bits) & uvec3(31u, 63u, 31u);
    tint = vec3(rgb) * vec3(1.0 / 31.0, 1.0 / 63.0, 1.0 / 31.0);
    spot = vec4(s.xyz, centre.w);
    gl_Position = centre + vec4(corner.xy * radius * scaleY * vec2(iResolution.y / iResolution.x, 1.0), 0.0, 0.0);
}
