// Particle ball, ambient occlusion at half the window's size. For a pixel
// showing a particle, seven points of a half ball of radius aoScale, turned
// towards the camera and spun by a per-pixel angle, are projected into the
// picture; each one that lies behind the particle drawn there (within reach)
// counts as occluded. Where no particle is drawn the result is 1. The backdrop
// writes zeros there, and a texel counts as a particle only if it lies on the
// dot it names. The work is done in clip space: the particle's clip position
// follows from its centre in the picture and its view depth, and a step in
// the world moves it by the projection's linear part.
// Expects: sampler2D postex (unit 0, window-sized; where a particle was
// drawn: xy its centre in window pixels, z 1 / its radius in pixels, w minus
// its view depth), vec3 lookDir (the view direction), float aoScale (radius
// in world units), mat4 P (projection x view, whose w is the view depth),
// float iGlobalTime (frame count, varies the spin).
// Writes: r = unoccluded fraction (1 fully open), g and b the same, a 1.
#version 330 core

uniform sampler2D postex;
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

// Whether texel, read at at, holds a particle: one in front of the camera
// whose dot reaches the centre of at. Data moved elsewhere fails here.
bool onItsDot(vec4 texel, ivec2 at) {
    return texel.w < 0.0 && length(vec2(at) + 0.5 - texel.xy) * texel.z <= 1.01;
}

void main() {
    ivec2 size = textureSize(postex, 0);
    ivec2 at = ivec2(gl_FragCoord.xy * 2.0);
    vec4 here = texelFetch(postex, at, 0);
    if (!onItsDot(here, at) || !(aoScale > 0.0)) {
        fragColor = vec4(1.0);
        return;
    }
    float depth = -here.w;
    // Clip x, y and w of the particle, and what a world step adds to them.
    vec3 clipHere = vec3((here.xy / vec2(size) * 2.0 - 1.0) * depth, depth);
    mat3 toClip = mat3(P[0].xyw, P[1].xyw, P[2].xyw);

    // A frame built around the way back to the camera.
    vec3 back = -normalize(lookDir);
    vec3 side = normalize(cross(back, abs(back.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0)));
    vec3 rise = cross(back, side);
    vec3 sideStep = aoScale * (toClip * side);
    vec3 riseStep = aoScale * (toClip * rise);
    vec3 backStep = aoScale * (toClip * back);
    float spin = 6.2831853 * fract(52.982919 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715)))
                                   + 0.618034 * mod(iGlobalTime, 8.0));
    vec2 cs = vec2(cos(spin), sin(spin));

    float occluded = 0.0;
    for (int i = 0; i < taps; ++i) {
        vec3 k = kernel[i];
        vec2 turned = vec2(cs.x * k.x - cs.y * k.y, cs.y * k.x + cs.x * k.y);
        vec3 clip = clipHere + turned.x * sideStep + turned.y * riseStep + k.z * backStep;
        if (clip.z <= 0.0)
            continue;
        ivec2 there = ivec2(clamp((clip.xy / clip.z * 0.5 + 0.5) * vec2(size), vec2(0.0), vec2(size - 1)));
        vec4 texel = texelFetch(postex, there, 0);
        float front = -texel.w;
        // Occluded by a particle in front of the point, but not far in front.
        float inFront = onItsDot(texel, there) && front < clip.z - 0.02 * aoScale ? 1.0 : 0.0;
        float reach = smoothstep(0.0, 1.0, aoScale / max(abs(depth - front), 1e-4));
        occluded += inFront * reach;
    }
    float open = clamp(1.0 - occluded / float(taps), 0.0, 1.0);
    fragColor = vec4(vec3(open), 1.0);
}
