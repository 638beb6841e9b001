// Pattern scene 1: a drifting, slowly turning plane of hexagonal tiles, each
// holding three neon arcs (a hex Truchet tiling) that join into endless
// winding lines; light pulses run along the arcs and a wave of brightness
// rolls outward across the tiles. Cool blues and violets.
// Expects: float iTime (the scene's time, advanced by its track),
// vec2 iResolution (pixels).
#version 330 core

uniform float iTime;
uniform vec2 iResolution;

in vec2 uv;
out vec4 fragColor;

const float sqrt3Half = 0.8660254;
// Arc radius: half a hexagon edge, so each arc joins two edge midpoints.
const float arcRadius = 0.2886751;

uint hash(ivec2 cell) {
    uint h = (uint(cell.x) * 0x8da6b343u) ^ (uint(cell.y) * 0xd8163841u);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// The hexagonal cell around p, for centres one unit apart: the nearest
// centre, found by rounding p's cube coordinates.
vec2 hexCell(vec2 p, out ivec2 cell) {
    float r = p.y / sqrt3Half;
    float q = p.x - 0.5 * r;
    vec3 cube = vec3(q, r, -q - r);
    vec3 rounded = round(cube);
    vec3 err = abs(rounded - cube);
    if (err.x > err.y && err.x > err.z)
        rounded.x = -rounded.y - rounded.z;
    else if (err.y > err.z)
        rounded.y = -rounded.x - rounded.z;
    cell = ivec2(rounded.xy);
    return vec2(rounded.x + 0.5 * rounded.y, sqrt3Half * rounded.y);
}

// Cool palette: cyan at 0, blue at 0.25, violet at 0.5.
vec3 palette(float x) {
    return vec3(0.35, 0.45, 0.85) + vec3(0.25, 0.35, 0.15) * cos(6.2831853 * (x + vec3(0.5, 0.0, 0.0)));
}

mat2 rotation(float a) {
    float c = cos(a);
    float s = sin(a);
    return mat2(c, s, -s, c);
}

void main() {
    float t = iTime;
    vec2 p = (gl_FragCoord.xy - 0.5 * iResolution) / iResolution.y;

    // A slight lens bulge, a slow turn, a breathing zoom and a drift.
    p *= 1.0 + 0.22 * dot(p, p);
    float zoom = 5.0 + 1.2 * sin(0.13 * t);
    p = rotation(0.06 * t + 0.4 * sin(0.05 * t)) * p * zoom;
    p += vec2(0.45 * t, 0.25 * sin(0.17 * t));

    ivec2 cell;
    vec2 centre = hexCell(p, cell);
    vec2 local = p - centre;
    uint h = hash(cell);

    // Arcs around every other corner; which three is chosen per tile.
    float turn = (h & 1u) == 0u ? 0.5235988 : 1.5707963;
    float nearest = 1e9;
    vec2 nearestRel = vec2(1.0, 0.0);
    for (int k = 0; k < 3; ++k) {
        float a = turn + 2.0943951 * float(k);
        vec2 rel = local - 0.5773503 * vec2(cos(a), sin(a));
        float d = abs(length(rel) - arcRadius);
        if (d < nearest) {
            nearest = d;
            nearestRel = rel;
        }
    }

    float pixel = 1.5 * zoom / iResolution.y;
    float core = smoothstep(0.035 + pixel, 0.035 - pixel, nearest);
    float glow = exp(-nearest * 16.0);

    // Pulses running along each arc, and a wave rolling outward over the plane.
    float tileSeed = float(h >> 8) / 16777216.0;
    float along = atan(nearestRel.y, nearestRel.x);
    float pulse = pow(0.5 + 0.5 * sin(along * 6.0 - 3.0 * t + 6.2831853 * tileSeed), 6.0);
    float wave = exp(-8.0 * abs(fract(0.07 * length(centre - vec2(0.45 * t, 0.0)) - 0.18 * t) - 0.5));

    vec3 lineColour = palette(0.1 * tileSeed + 0.04 * (centre.x + centre.y) + 0.025 * t);
    vec3 colour = mix(vec3(0.015, 0.02, 0.06), vec3(0.05, 0.02, 0.09), gl_FragCoord.y / iResolution.y);

    // Tiles: a faint fill, darker towards their edges, lit by the wave.
    float toEdge = 0.5 - max(max(abs(local.x), abs(dot(local, vec2(0.5, sqrt3Half)))),
                             abs(dot(local, vec2(-0.5, sqrt3Half))));
    float tile = smoothstep(0.0, 0.12, toEdge);
    colour += (0.035 + 0.05 * tileSeed + 0.12 * wave) * tile * lineColour;

    colour += lineColour * glow * (0.3 + 0.5 * wave);
    vec3 hot = mix(lineColour, vec3(0.8, 0.95, 1.0), 0.1 + 0.5 * pulse);
    colour += hot * core * (0.7 + 0.4 * pulse + 0.4 * wave);

    fragColor = vec4(colour, 1.0);
}
