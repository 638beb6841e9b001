// Tunnel scene, first geometry: a round tube of steel panels, the camera
// swaying and steering as it flies down it. Each pixel's ray meets the tube
// analytically (angle around it, depth along it), lit by a headlight
// and by rings of cold light passing by, and fades into a blue-green fog
// with a white glow at the far end. The wall's alpha marks its lamps, which
// glow through the fog. Cold teals and cyans.
// Expects: float iTime (the scene's time, advanced by its track),
// vec2 iResolution (pixels), sampler2D iChannel0 (the tileable wall: rgb
// albedo, alpha emission; unit 0).
#version 330 core

uniform float iTime;
uniform vec2 iResolution;
uniform sampler2D iChannel0;

in vec2 uv;
out vec4 fragColor;

const float pi = 3.14159265;
const float tilesAround = 4.0;
// Depth units per tile, so that the wall's texels stay square.
const float tileLength = 2.0 * pi / tilesAround;
const float ringSpacing = 3.0 * tileLength;
const vec3 fogColour = vec3(0.010, 0.045, 0.065);

// sin(x) to within 2e-4: a triangle wave through the quarter periods,
// rounded by an odd quintic. The built-in sin and cos cost many times as
// much where the fragment stage runs on the CPU (a software rasteriser).
float sine(float x) {
    float s = 4.0 * abs(fract(x * 0.15915494 - 0.25) - 0.5) - 1.0;
    float s2 = s * s;
    return s * (1.570796 - s2 * (0.64358 - 0.072775 * s2));
}

float cosine(float x) {
    return sine(x + 1.5707963);
}

// exp(-x) for x >= 0 from the exponential's first terms: close near 0,
// with a longer tail, and no exp().
float decay(float x) {
    return 1.0 / (1.0 + x * (1.0 + x * (0.5 + x / 6.0)));
}

mat2 rotation(float a) {
    float c = cosine(a);
    float s = sine(a);
    return mat2(c, s, -s, c);
}

void main() {
    float t = iTime;
    vec2 p = (gl_FragCoord.xy - 0.5 * iResolution) / iResolution.y;

    // The camera sways inside the tube and looks a little off its axis;
    // each pixel's ray meets the wall (x^2 + y^2 = 1) at an exact depth.
    vec2 sway = vec2(0.3 * sine(0.37 * t), 0.22 * cosine(0.29 * t));
    vec3 ray = normalize(vec3(p, 1.1));
    ray.xz = rotation(0.12 * sine(0.23 * t + 1.0)) * ray.xz;
    ray.yz = rotation(0.09 * sine(0.31 * t)) * ray.yz;
    float a = max(dot(ray.xy, ray.xy), 1e-6);
    float b = dot(sway, ray.xy);
    float c = dot(sway, sway) - 1.0;
    // The camera is inside (c < 0), so there is always a hit ahead;
    // past the fog its distance is of no interest and is capped.
    float dist = min((sqrt(b * b - a * c) - b) / a, 40.0);
    vec3 hit = vec3(sway, 0.0) + dist * ray;
    float z = hit.z;
    vec2 q = hit.xy;

    float camera = 2.6 * t;
    float roll = 0.05 * t + 0.3 * sine(0.19 * t);
    float around = atan(q.y, q.x) + roll;
    float along = z + camera;
    vec4 wall = texture(iChannel0, vec2(around / (2.0 * pi) * tilesAround, along / tileLength));

    // Light: a headlight that falls off with depth, and bright rings that
    // the camera flies through.
    float ringPhase = along / ringSpacing;
    float ringDist = abs(fract(ringPhase) - 0.5) * ringSpacing;
    float ring = decay(ringDist * ringDist * 6.0);
    float head = 1.3 / (1.0 + 0.08 * z * z);
    // Light pools on the floor-facing side, where the rings' lamps hang.
    float side = 0.75 + 0.25 * sine(around - roll + 0.6);
    vec3 light = vec3(0.55, 0.85, 1.0) * head * side + vec3(0.6, 1.0, 1.1) * ring * 1.4;

    vec3 albedo = wall.rgb * vec3(0.75, 0.95, 1.05);
    vec3 colour = albedo * light;
    // The rings themselves: a thin band of light at the ring's centre.
    colour += vec3(0.5, 0.95, 1.0) * decay(ringDist * 40.0) * 1.2;
    // Lamps on the wall, blinking in slow waves along the tube.
    float blink = 0.6 + 0.4 * sine(floor(ringPhase * 2.0) * 1.7 + 3.0 * t);
    colour += wall.a * vec3(0.35, 0.9, 1.0) * (1.2 + blink) * (1.0 + ring);

    // Fog thickens with depth; the lamps cut through it a little further.
    float fog = decay(0.14 * z);
    colour = mix(fogColour, colour, fog) + wall.a * vec3(0.1, 0.35, 0.45) * decay(0.1 * z);
    // The far end glows white.
    float offAxis = length(ray.xy);
    colour += vec3(0.7, 0.95, 1.0) * decay(offAxis * 10.0) * 0.9;
    colour += vec3(0.1, 0.35, 0.45) * decay(offAxis * 2.8) * 0.4;

    fragColor = vec4(colour, 1.0);
}
