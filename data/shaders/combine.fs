// Particle ball, combine: the scene's colour darkened by the half-size
// ambient occlusion (read with four bilinear taps, which also softens its
// grain), then a light grade: highlights rolled off, cool shadows and warm
// highlights, a little more saturation.
// Expects: sampler2D aotex (unit 0, half size: r = unoccluded fraction),
// sampler2D colortex (unit 1, window-sized: the scene's colour).
#version 330 core

uniform sampler2D aotex;
uniform sampler2D colortex;

in vec2 uv;
out vec4 fragColor;

void main() {
    vec2 d = 0.75 / vec2(textureSize(aotex, 0));
    float open = 0.25 * (texture(aotex, uv + d).r + texture(aotex, uv + vec2(-d.x, d.y)).r
                       + texture(aotex, uv + vec2(d.x, -d.y)).r + texture(aotex, uv - d).r);
    vec3 c = texture(colortex, uv).rgb * open;

    // Highlights above 0.8 roll off towards 1.2 instead of clipping.
    c = mix(c, 0.8 + 0.4 * (1.0 - exp(-2.5 * (c - 0.8))), step(0.8, c));
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    c = mix(vec3(luma), c, 1.08);
    c *= mix(vec3(0.97, 0.99, 1.04), vec3(1.03, 1.0, 0.96), smoothstep(0.05, 0.6, luma));
    fragColor = vec4(max(c, 0.0), 1.0);
}
