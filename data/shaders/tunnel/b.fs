// Tunnel scene, finishing pass: a short zoom blur towards the centre from
// two taps weighted from red (outer) to blue (inner), so speed smear and a
// chromatic split grow towards the edges; then a soft tone curve with a
// bloom lift, a cool shadow tint and a vignette. The blur breathes with the
// scene's time.
// Expects: float iTime (the scene's time), vec2 iResolution (pixels),
// sampler2D iChannel0 (the tunnel picture, window-sized, unit 0).
#version 330 core

uniform float iTime;
uniform vec2 iResolution;
uniform sampler2D iChannel0;

in vec2 uv;
out vec4 fragColor;

void main() {
    vec2 fromCentre = uv - 0.5;
    float edge = length(fromCentre * vec2(iResolution.x / iResolution.y, 1.0));
    float amount = (0.018 + 0.008 * sin(1.7 * iTime)) * smoothstep(0.05, 0.8, edge);

    // Two taps along the ray to the centre: red leans on the outer one,
    // blue on the inner one, green takes both alike.
    vec3 outer = texelFetch(iChannel0, ivec2(gl_FragCoord.xy), 0).rgb;
    vec3 inner = texture(iChannel0, 0.5 + fromCentre * (1.0 - amount)).rgb;
    vec3 colour = outer * vec3(0.75, 0.5, 0.25) + inner * vec3(0.25, 0.5, 0.75);
    // What outshines 1 spills over its neighbours a little.
    colour += 0.15 * max(max(outer, inner) - 0.9, 0.0);

    // Tone curve: linear up to the midtones, rolling off towards white.
    colour = colour / (1.0 + 0.35 * max(colour - 0.45, 0.0));
    colour = clamp(colour, 0.0, 1.5);
    colour = mix(colour, colour * colour * (3.0 - 2.0 * min(colour, 1.0)), 0.35);
    // Shadows lean cool, whatever the palette.
    float luma = dot(colour, vec3(0.299, 0.587, 0.114));
    colour += vec3(-0.005, 0.006, 0.018) * (1.0 - smoothstep(0.0, 0.3, luma));

    float vignette = 1.0 - 0.55 * smoothstep(0.35, 1.05, edge);
    fragColor = vec4(max(colour * vignette, 0.0), 1.0);
}
