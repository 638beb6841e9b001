// Vertex stage of every full-screen pass: draws the quad as given and hands
// the fragment stage its texture coordinates, 0 to 1 across the viewport.
// Expects: attribute 0 = the quad's clip-space position (x, y, z), corners
// at -1 and 1. Passes on: vec2 uv (0, 0 at the bottom left).
#version 330 core

layout(location = 0) in vec3 position;

out vec2 uv;

void main() {
    uv = position.xy * 0.5 + 0.5;
    gl_Position = vec4(position, 1.0);
}
