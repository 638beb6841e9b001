// Tunnel scene, second geometry: a square shaft that twists as it recedes,
// its four walls lit unevenly as if by one lamp, hot seams glowing along
// the corners and pulses of light racing down them. Mapped analytically:
// the nearest wall is the larger of |x| and |y| in the twisted frame, and
// depth its inverse. Fogs into a deep crimson haze with a furnace glow at
// the far end. Warm ambers, coppers and magentas: the cut from the round
// tunnel changes both shape and palette.
// Expects: float iTime (the scene's time, advanced by its track),
// vec2 iResolution (pixels), sampler2D iChannel0 (the tileable wall: rgb
// albedo, alpha emission; unit 0).
#version 330 core

uniform float iTime;
uniform vec2 iResolution;
uniform sampler2D iChannel0;

in vec2 uv;
out vec4 fragColor;

const float twist = 0.09; // radians per unit of depth
// Depth units per tile: one tile spans a wall's width (2 units).
const float tileLength = 2.0;
const vec3 fogColour = vec3(0.07, 0.012, 0.035);

// sin(x) to within 2e-4: a triangle wave through the quarter periods,
// rounded by an odd quintic. The built-in sin and cos cost many times as
// much where the fragment stage runs on the CPU (a software rasteriser).
float sine(float x) {
    float s = 4.0 * abs(fract(x * 0.15915494 - 0.25) - 0.5) - 1.0;
    float s2 = s * s;
    return s * (1.570796 - s2 * (0.64358 - 0.072775 * s2));
}

mat2 rotation(float a) {
    float c = sine(a + 1.5707963);
    float s = sine(a);
    return mat2(c, s, -s, c);
}

void main() {
    float t = iTime;
    vec2 p = (gl_FragCoord.xy - 0.5 * iResolution) / iResolution.y;
    p *= 1.25;

    // The cross-section at depth z is turned by spin + twist * z; a pixel's
    // depth is found by a few fixed-point steps from the round estimate.
    float spin = 0.35 * t + 0.5 * sin(0.21 * t);
    float z = min(1.0 / max(length(p), 1e-3), 30.0);
    vec2 q = p;
    for (int i = 0; i < 3; ++i) {
        q = rotation(spin + twist * z) * p;
        z = min(1.0 / max(max(abs(q.x), abs(q.y)), 1e-3), 30.0);
    }
    q *= z; // on the wall: the larger coordinate is 1

    // Which wall, and where across it (-1 to 1).
    bool sideWall = abs(q.x) > abs(q.y);
    float face = sideWall ? (q.x > 0.0 ? 0.0 : 2.0) : (q.y > 0.0 ? 1.0 : 3.0);
    float across = sideWall ? q.y * sign(q.x) : -q.x * sign(q.y);

    float camera = 3.2 * t;
    float along = z + camera;
    vec4 wall = texture(iChannel0, vec2(0.5 + 0.5 * across + 0.37 * face, along / tileLength));

    // One lamp: each wall gets its own share, so the square reads at once.
    float faceLight = face == 0.0 ? 1.25 : face == 1.0 ? 0.8 : face == 2.0 ? 0.45 : 0.3;
    float head = 1.8 / (1.0 + 0.06 * z * z);
    vec3 albedo = wall.rgb * vec3(1.3, 0.78, 0.55);
    vec3 colour = albedo * vec3(1.0, 0.75, 0.55) * faceLight * head;

    // Corner seams, and pulses racing along them towards the far end.
    float seam = 1.0 - abs(across);
    float pulse = fract(0.35 * along - 1.3 * t + 0.25 * face);
    pulse *= pulse * pulse;
    pulse *= pulse;
    vec3 seamColour = mix(vec3(1.0, 0.25, 0.55), vec3(1.0, 0.7, 0.3), pulse);
    colour += seamColour * (exp(-seam * 40.0) * (0.5 + 2.5 * pulse) + exp(-seam * 8.0) * 0.15);

    // The wall's lamps turn amber.
    colour += wall.a * vec3(1.0, 0.55, 0.2) * 2.0;

    float fog = exp(-0.16 * z);
    colour = mix(fogColour, colour, fog);
    float r = length(p);
    colour += vec3(1.0, 0.5, 0.2) * exp(-r * 10.0) * 0.9 + vec3(0.5, 0.1, 0.2) * exp(-r * 3.0) * 0.3;

    fragColor = vec4(colour, 1.0);
}
