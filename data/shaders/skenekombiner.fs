// Scene combiner: the five scene framebuffers added up, each scaled by its
// fusing weight. Weights keep their sign and are not normalised, so two
// scenes at 0.5 cross-fade and a scene at 1 over another overlays it.
// Expects: sampler2D bufferA .. bufferE (scenes 0 to 4 on units 0 to 4, all
// window-sized), float weightA .. weightE.
#version 330 core

uniform sampler2D bufferA;
uniform sampler2D bufferB;
uniform sampler2D bufferC;
uniform sampler2D bufferD;
uniform sampler2D bufferE;
uniform float weightA;
uniform float weightB;
uniform float weightC;
uniform float weightD;
uniform float weightE;

in vec2 uv;
out vec4 fragColor;

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    // Silent scenes cost no texture read.
    vec3 sum = vec3(0.0);
    if (weightA != 0.0)
        sum += weightA * texelFetch(bufferA, p, 0).rgb;
    if (weightB != 0.0)
        sum += weightB * texelFetch(bufferB, p, 0).rgb;
    if (weightC != 0.0)
        sum += weightC * texelFetch(bufferC, p, 0).rgb;
    if (weightD != 0.0)
        sum += weightD * texelFetch(bufferD, p, 0).rgb;
    if (weightE != 0.0)
        sum += weightE * texelFetch(bufferE, p, 0).rgb;
    fragColor = vec4(sum, 1.0);
}
