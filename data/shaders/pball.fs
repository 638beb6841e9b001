// Particle ball, particle draw, fragment stage: a soft dot, opaque and
// depth-tested. Softness and the blur's transparency become a dither: a
// fragment stays where the dot's opacity beats a per-pixel threshold that
// each particle shifts, so overlapping blurred particles build up coverage
// the way blended ones would. A kept fragment takes the particle's colour,
// lit as a little sphere from the sun's side and sunk into fog that glows
// towards the sun.
// Expects: sampler2D textu (the particle image, unit 0: a soft round dot in
// its alpha; without an image a round dot is drawn); vec3 campos; float fogB
// (fog density per unit); vec3 fogSunDir (towards the sun), fogColor,
// fogSunColor; from the vertex stage lit (xy the place on the dot, z the
// sun's side across it, w the sun's height), flat tint (the particle's
// colour), flat spot (xyz world position, w the dither's shift), flat
// opacity.
// Writes: location 0 the colour (a 1), location 1 for the occlusion pass:
// xyz the world position, w minus the view depth.
#version 330 core

uniform sampler2D textu;
uniform vec3 campos;
uniform float fogB;
uniform vec3 fogSunDir;
uniform vec3 fogColor;
uniform vec3 fogSunColor;

noperspective in vec4 lit;
flat in vec3 tint;
flat in vec4 spot;
flat in float opacity;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 fragPos;

void main() {
    vec2 quad = lit.xy;
    float rim = 1.0 - dot(quad, quad);
    // Read texel for texel: a particle covers a few pixels, far fewer than
    // the image's texels, and a filtered read costs several times as much
    // where the fragment stage runs on the CPU. The image's alpha shapes the
    // dot within its round outline; an image that failed to load reads
    // opaque, and the outline's own falloff is the dot then. Outside the
    // outline the shape is negative and the fragment always dropped.
    ivec2 size = textureSize(textu, 0);
    float alpha = texelFetch(textu, min(ivec2((quad * 0.5 + 0.5) * vec2(size)), size - 1), 0).a;
    float dotShape = min(alpha, rim);

    // Interleaved gradient noise, shifted per particle.
    float threshold = fract(52.982919 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))) + spot.w);
    if (opacity * dotShape <= threshold * 0.999)
        discard;

    float light = 0.8 + 0.45 * max(lit.z + sqrt(max(rim, 0.0)) * lit.w, 0.0);

    // The quad stands square to the view, so its view depth is the same
    // over it: the clip w, which the rasteriser hands over as 1 / w. The fog
    // takes it for the distance; the two part only towards the picture's
    // edges, where the fog comes out a little thinner for it.
    float viewDepth = 1.0 / gl_FragCoord.w;
    vec3 sunDir = normalize(fogSunDir + vec3(0.0, 0.0, 1e-6));
    float facing = clamp(dot(spot.xyz - campos, sunDir) * gl_FragCoord.w, 0.0, 1.0);
    float glare = facing * facing * facing;
    glare *= glare;
    vec3 fog = mix(fogColor, fogSunColor, glare);
    // 1 - exp(-depth) from the exponential's first terms, without exp.
    float depth = max(fogB, 0.0) * viewDepth;
    float thick = 1.0 - 1.0 / (1.0 + depth * (1.0 + depth * (0.5 + depth / 6.0)));

    fragColor = vec4(mix(tint * light, fog, thick), 1.0);
    fragPos = vec4(spot.xyz, -viewDepth);
}
