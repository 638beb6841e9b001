// Heads-up display of edit mode, vertex stage: quads of glyphs and bars given
// in window pixels from the top left corner, passed on with their place in
// the glyph atlas (in texels) and their colour.
// Expects: vec2 iResolution (pixels); attributes 0 position, 1 texel, 2 colour.
#version 330 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texel;
layout(location = 2) in vec4 colour;

uniform vec2 iResolution;

out vec2 atlasTexel;
out vec4 tint;

void main() {
    vec2 clip = position / iResolution * 2.0 - 1.0;
    gl_Position = vec4(clip.x, -clip.y, 0.0, 1.0);
    atlasTexel = texel;
    tint = colour;
}
