// Particle ball, particle draw, fragment stage: a soft dot, opaque and
// depth-tested. Softness and the blur's transparency become a dither: a
// fragment stays where the dot's opacity beats a per-pixel threshold that
// each particle shifts, so overlapping blurred particles build up coverage
// the way blended ones would. A kept fragment takes the particle's colour,
// lit as a little sphere from the sun's side and sunk into fog that glows
// towards the sun.
// Expects: sampler2D textu (the particle image, unit 0: a soft round dot in
// its alpha; without an image a round dot is drawn); float fogB (fog
// density per unit); vec3 fogColor, fogSunColor; from the vertex stage flat
// uvec4 particle (x, y the bits of the dot's centre in window pixels, z
// those of 1 / its radius in pixels, the lowest byte of each a code of the
// sun's direction in the dot's frame; w the colour as 5:6:5, the opacity
// and the glare in 255ths).
// Writes: location 0 the colour (a 1), location 1 for the occlusion pass:
// xy the dot's centre in window pixels, z 1 / its radius in pixels, w minus
// the view depth.
#version 330 core

uniform sampler2D textu;
uniform float fogB;
uniform vec3 fogColor;
uniform vec3 fogSunColor;

flat in uvec4 particle;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 fragPos;

void main() {
    vec2 centre = uintBitsToFloat(particle.xy);
    float perRadius = uintBitsToFloat(particle.z);
    // The place on the dot, -1..1 at its nominal rim.
    vec2 spot = (gl_FragCoord.xy - centre) * perRadius;
    float rim = 1.0 - dot(spot, spot);
    // Read texel for texel: a particle covers a few pixels, far fewer than
    // the image's texels, and a filtered read costs several times as much
    // where the fragment stage runs on the CPU. The image's alpha shapes the
    // dot within its round outline; an image that failed to load reads
    // opaque, and the outline's own falloff is the dot then. Outside the
    // outline the shape is negative and the fragment always dropped.
    ivec2 size = textureSize(textu, 0);
    float alpha = texelFetch(textu, min(ivec2((spot * 0.5 + 0.5) * vec2(size)), size - 1), 0).a;
    float dotShape = min(alpha, rim);

    // Interleaved gradient noise, shifted per particle by where it lies.
    float shift = fract(dot(centre, vec2(12.9898, 78.233)));
    float threshold = fract(52.982919 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))) + shift);
    float opacity = float((particle.w >> 16) & 255u) * (1.0 / 255.0);
    if (opacity * dotShape <= threshold * 0.999)
        discard;

    vec3 sun = vec3(particle.xyz & 255u) * (1.0 / 127.5) - (128.0 / 127.5);
    float light = 0.8 + 0.45 * max(dot(spot, sun.xy) + sqrt(max(rim, 0.0)) * sun.z, 0.0);
    uvec3 rgb = uvec3(particle.w >> 11, particle.w >> 5, particle.w) & uvec3(31u, 63u, 31u);
    vec3 tint = vec3(rgb) * vec3(1.0 / 31.0, 1.0 / 63.0, 1.0 / 31.0);

    // The triangle stands square to the view, so its view depth is the same
    // over it: the clip w, which the rasteriser hands over as 1 / w.
    float viewDepth = 1.0 / gl_FragCoord.w;
    vec3 fog = mix(fogColor, fogSunColor, float(particle.w >> 24) * (1.0 / 255.0));
    // 1 - exp(-depth) from the exponential's first terms, without exp.
    float depth = max(fogB, 0.0) * viewDepth;
    float thick = 1.0 - 1.0 / (1.0 + depth * (1.0 + depth * (0.5 + depth / 6.0)));

    fragColor = vec4(mix(tint * light, fog, thick), 1.0);
    fragPos = vec4(centre, perRadius, -viewDepth);
}
