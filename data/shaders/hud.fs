// Heads-up display of edit mode, fragment stage: the quad's colour where its
// atlas texel is lit, transparent elsewhere; texels are fetched unfiltered so
// the pixel font stays crisp at any scale.
// Expects: sampler2D iChannel0 (the glyph atlas, red = lit, unit 0).
#version 330 core

uniform sampler2D iChannel0;

in vec2 atlasTexel;
in vec4 tint;

out vec4 fragColour;

void main() {
    float lit = texelFetch(iChannel0, ivec2(floor(atlasTexel)), 0).r;
    fragColour = vec4(tint.rgb, tint.a * lit);
}
