// Pattern scene 2: a kaleidoscopic tunnel of diamonds. The picture is laid
// out in log-polar coordinates, so rings of diamonds keep their shape as
// they stream out of a glowing core towards the edges; the diamonds breathe
// and their outlines glow. Warm ambers, reds and magentas.
// Expects: float iTime (the scene's time, advanced by its track),
// vec2 iResolution (pixels).
#version 330 core

uniform float iTime;
uniform vec2 iResolution;

in vec2 uv;
out vec4 fragColor;

const float segments = 16.0;
// Radial scale that keeps log-polar cells square.
const float cellsPerRadian = segments / 6.2831853;

// Warm palette: amber at 0, red at 0.25, magenta at 0.5.
vec3 palette(float x) {
    return vec3(0.85, 0.35, 0.3) + vec3(0.15, 0.3, 0.3) * cos(6.2831853 * (x + vec3(0.0, 0.0, 0.5)));
}

void main() {
    float t = iTime;
    vec2 p = (gl_FragCoord.xy - 0.5 * iResolution) / iResolution.y;
    // The core wanders a little.
    p -= 0.06 * vec2(sin(0.31 * t), cos(0.23 * t));

    float r = max(length(p), 1e-4);
    float a = atan(p.y, p.x) + 0.08 * t + 0.25 * sin(0.11 * t);

    // (s, w): around and along the tunnel; w runs towards the viewer over time.
    float s = a * cellsPerRadian;
    float w = log(r) * cellsPerRadian - 0.9 * t;
    vec2 cell = floor(vec2(s, w));
    vec2 f = fract(vec2(s, w)) - 0.5;
    // Every other ring turns by half a cell, so the diamonds interlock.
    if (mod(cell.y, 2.0) > 0.5) {
        f.x = fract(s + 0.5) - 0.5;
        cell.x = floor(s + 0.5);
    }

    float diamond = abs(f.x) + abs(f.y);
    float size = 0.36 + 0.09 * sin(2.2 * t - 0.6 * cell.y);
    float pixel = 1.5 * cellsPerRadian / (r * iResolution.y);
    float fill = smoothstep(size + pixel, size - pixel, diamond);
    float outline = exp(-abs(diamond - size - 0.04) * 30.0);

    // Each diamond is cut like a gem: four facets lit from one side, with a
    // bright ridge along its diagonals.
    vec2 facet = sign(f + 1e-4);
    float light = 0.62 + 0.22 * facet.x * 0.7 + 0.16 * facet.y;
    float ridge = exp(-min(abs(f.x), abs(f.y)) * 40.0) * (1.0 - diamond / size);

    float checker = mod(cell.x + cell.y, 2.0);
    vec3 ring = palette(0.06 * cell.y + 0.02 * t);
    vec3 gem = palette(0.06 * cell.y + 0.3 * checker + 0.02 * t);

    // Near the core the cells get smaller than a pixel: fade them into its glow.
    float detail = smoothstep(0.02, 0.16, r);
    vec3 colour = vec3(0.05, 0.008, 0.02) + vec3(0.10, 0.02, 0.04) * (1.0 - r);
    colour += detail * (fill * (gem * light + vec3(1.0, 0.85, 0.6) * ridge * 0.35) +
                        outline * ring * 0.5);
    // Soft rays from the core between the segments.
    float rays = pow(0.5 + 0.5 * cos(a * segments), 8.0);
    colour += vec3(1.0, 0.55, 0.25) * rays * 0.12 * exp(-1.5 * r);
    colour += vec3(1.0, 0.78, 0.5) * exp(-r * 9.0) * 1.1;
    // Darker towards the rim, as if the tunnel's mouth were in shadow.
    colour *= 1.0 - 0.45 * smoothstep(0.35, 0.95, r);

    fragColor = vec4(colour, 1.0);
}
