// Particle ball, ambient occlusion at half the window's size. For a pixel
// showing a particle, seven points of a half ball of radius aoScale, turned
// towards the camera and spun by a per-pixel angle, are projected into the
// picture; each one that lies behind the particle drawn there (within reach)
// counts as occluded. Where no particle is drawn the result is 1. The backdrop
// writes zeros there, and a texel counts as a particle only if its depth and
// place match its position.
// Expects: sampler2D postex (unit 0, window-sized: xyz world position, w
// minus the view depth where a particle was drawn), vec3 campos, vec3 lookDir
// (the view direction), float aoScale (radius in world units), mat4 P
// (projection x view), float iGlobalTime (frame count, varies the spin).
// Writes: r = unoccluded fraction (1 fully open), g and b the same, a 1.
#version 330 core

uniform sampler2D postex;
uniform vec3 campos;
uniform vec3 lookDir;
uniform float aoScale;
uniform mat4 P;
uniform float iGlobalTime;

in vec2 uv;
out vec4 fragColor;

// A half ball around +z, points nearer the centre more often; with the
// pixel's own texel, eight fetches.
const int taps = 7;
const vec3 kernel[taps] = vec3[taps](
    vec3(0.35, 0.10, 0.20), vec3(-0.22, 0.41, 0.30), vec3(-0.55, -0.31, 0.15),
    vec3(0.18, -0.66, 0.42), vec3(0.71, 0.42, 0.38), vec3(-0.30, 0.12, 0.82),
    vec3(-0.15, -0.88, 0.25));

// Whether a texel holds a particle seen from this frame's camera: a position
// whose view depth is the one stored beside it, to float precision.
bool consistent(vec4 texel, vec3 forward) {
    float depth = -texel.w;
    return depth > 0.0 && abs(dot(texel.xyz - campos, forward) - depth) < 1e-4 + 2e-5 * depth;
}

void main() {
    ivec2 size = textureSize(postex, 0);
    vec3 forward = normalize(lookDir);
    vec2 pixel = gl_FragCoord.xy * 2.0;
    vec4 here = texelFetch(postex, ivec2(pixel), 0);
    // This frame's data copied to another place fails here: a particle's
    // quad is at most 4.5% of the picture's height from its centre.
    vec4 centre = P * vec4(here.xyz, 1.0);
    vec2 drawnAt = (centre.xy / centre.w * 0.5 + 0.5) * vec2(size);
    if (!consistent(here, forward) || !(length(drawnAt - pixel) < 0.05 * float(size.y) + 2.0)
        || !(aoScale > 0.0)) {
        fragColor = vec4(1.0);
        return;
    }
    float depth = -here.w;

    // A frame built around the way back to the camera.
    vec3 back = -forward;
    vec3 side = normalize(cross(back, abs(back.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0)));
    vec3 rise = cross(back, side);
    float spin = 6.2831853 * fract(52.982919 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715)))
                                   + 0.618034 * mod(iGlobalTime, 8.0));
    vec2 cs = vec2(cos(spin), sin(spin));

    float occluded = 0.0;
    for (int i = 0; i < taps; ++i) {
        vec3 k = kernel[i];
        vec2 turned = vec2(cs.x * k.x - cs.y * k.y, cs.y * k.x + cs.x * k.y);
        vec3 point = here.xyz + aoScale * (turned.x * side + turned.y * rise + k.z * back);
        vec4 clip = P * vec4(point, 1.0);
        if (clip.w <= 0.0)
            continue;
        vec2 at = (clip.xy / clip.w * 0.5 + 0.5) * vec2(size);
        vec4 there = texelFetch(postex, ivec2(clamp(at, vec2(0.0), vec2(size - 1))), 0);
        float front = -there.w;
        // Occluded by a particle in front of the point, but not far in front.
        float inFront = consistent(there, forward) && front < clip.w - 0.02 * aoScale ? 1.0 : 0.0;
        float reach = smoothstep(0.0, 1.0, aoScale / max(abs(depth - front), 1e-4));
        occluded += inFront * reach;
    }
    float open = clamp(1.0 - occluded / float(taps), 0.0, 1.0);
    fragColor = vec4(vec3(open), 1.0);
}
