// Particle ball, post pass: compiled and reloaded with the ball's other
// shaders, but no frame draws it. Passes its input through unchanged.
// Expects: sampler2D iChannel0 (the picture).
#version 330 core

uniform sampler2D iChannel0;

in vec2 uv;
out vec4 fragColor;

void main() {
    fragColor = texture(iChannel0, uv);
}
