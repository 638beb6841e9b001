// Hands backdrop, paint pass: lays the generated hands as paint over a dark
// wash and blends them into the previous call's painting, which is carried
// along a slow swirling flow (the curl of a few sine waves) and smeared
// along it, so moving fingers leave brush strokes that drift and fade.
// ColorPaint turns the palette's hue (0..1 once round the wheel); the wash
// takes the opposite hue, darker. The painting's alpha carries iTime, so
// the rates follow the music clock and not the frame rate.
// Expects: sampler2D iChannel0 (the hands, unit 0: R coverage, G diffuse,
// B edge light, A signed distance), sampler2D iChannel1 (this pass's own
// previous output, unit 1; undefined on the first call), vec2 iResolution
// (pixels), float iTime (music row / 32), float ColorPaint (the track
// "color-paint"), float Light (the track "hands-light": 0 a dim backdrop
// behind the particle ball, 1 lit).
#version 330 core

uniform sampler2D iChannel0;
uniform sampler2D iChannel1;
uniform vec2 iResolution;
uniform float iTime;
uniform float ColorPaint;
uniform float Light;

in vec2 uv;
out vec4 fragColor;

// One 60 Hz frame in bars at 131 BPM: the unit of the rates below.
const float frameBars = 131.0 / (60.0 * 4.0 * 60.0);

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

// The fully saturated colour of hue h (0..1 once round the wheel); a
// colour of that hue is v * mix(vec3(1.0), pure, s).
vec3 pureHue(float h) {
    return clamp(abs(fract(h + vec3(0.0, 4.0, 2.0) / 6.0) * 6.0 - 3.0) - 1.0, 0.0, 1.0);
}

vec3 shade(vec3 pure, float s, float v) {
    return v * mix(vec3(1.0), pure, s);
}

// Velocity in picture heights per bar: the curl of a stream function made
// of three slow waves, so the paint turns without bunching up. waves
// receives the three waves' slopes, -1 to 1.
vec2 flow(vec2 p, float t, out vec3 waves) {
    vec2 k1 = vec2(2.1, 1.3), k2 = vec2(-1.2, 2.7), k3 = vec2(3.4, -2.2);
    waves = vec3(cosine(dot(k1, p) + 0.21 * t), cosine(dot(k2, p) - 0.17 * t + 1.3),
                 cosine(dot(k3, p) + 0.29 * t + 4.0));
    vec2 grad = 0.6 * k1 * waves.x + 0.5 * k2 * waves.y + 0.2 * k3 * waves.z;
    return 0.07 * vec2(grad.y, -grad.x);
}

// True when any component of a or b is not a finite number (or they are
// so large that their sum overflows, garbage too).
bool broken(vec4 a, vec4 b) {
    float sum = dot(a + b, vec4(1.0));
    return isnan(sum) || isinf(sum);
}

void main() {
    float aspect = iResolution.x / iResolution.y;
    vec2 p = (uv - 0.5) * vec2(aspect, 1.0);
    float t = iTime;
    float lit = clamp(Light, 0.0, 1.0);

    // Time since the last call; a jump back, a long gap or garbage starts
    // the painting afresh.
    float previous = texelFetch(iChannel1, ivec2(0), 0).a;
    float dt = t - previous;
    bool fresh = isnan(previous) || isinf(previous) || dt < 0.0 || dt > 1.0;
    float frames = fresh ? 0.0 : dt / frameBars;

    vec3 waves;
    vec2 velocity = flow(p, t, waves);
    vec2 drift = velocity * dt / vec2(aspect, 1.0);
    // Two looks upstream: the paint travels and is dragged out along the
    // flow. Where the history holds garbage the paint starts afresh.
    vec4 near = texture(iChannel1, uv - drift);
    vec4 far = texture(iChannel1, uv - 3.0 * drift);
    bool restart = fresh || broken(near, far);
    vec3 painted = clamp(mix(near.rgb, far.rgb, 0.45), 0.0, 4.0);

    // The hands are drawn at this pass's size: read them texel for texel.
    // Their distance darkens the wash in a narrow band round them, which
    // sets them on it like paint laid over a ground.
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec4 hands = texelFetch(iChannel0, pixel, 0);

    // Three hues: the paint's body colour, a cooler one for its light and
    // the opposite one for the wash.
    float hue = fract(ColorPaint + 0.03);
    vec3 body = pureHue(hue);
    vec3 cool = pureHue(hue - 0.045);
    vec3 opposite = pureHue(hue + 0.51);
    // Wash: the opposite hue, near black, in broad soft patches where the
    // flow's waves meet, with a glow of the paint's light in the middle,
    // where the ball shines.
    float patches = 0.5 + 0.5 * waves.x * waves.y;
    vec3 wash = mix(shade(opposite, 0.6, 0.03), shade(opposite, 0.5, 0.10), patches) * (1.0 + 1.2 * lit);
    float d2 = 4.0 * dot(p, p);
    wash += shade(cool, 0.5, 0.06 + 0.12 * lit) / (1.0 + d2 * (1.0 + 0.5 * d2));
    wash *= 0.5 + 0.5 * smoothstep(0.0, 0.03, hands.a);

    // The hands in three tones, like quick gouache: the light falls in soft
    // bands from a deep shadow to the body colour, and the edges facing the
    // ball catch a pale version of the light.
    float coverage = hands.r;
    vec2 light = coverage > 1e-3 ? hands.gb / coverage : vec2(0.0);
    float diffuse = light.x;
    float rim = light.y;
    float bands = 3.0 * diffuse;
    float tone = (floor(bands) + smoothstep(0.3, 0.7, fract(bands))) / 3.0;
    vec3 skin = mix(shade(body, 0.6, 0.09 + 0.07 * lit), shade(body, 0.4 - 0.1 * lit, 0.4 + 0.55 * lit), tone);
    skin = mix(skin, shade(cool, 0.25 - 0.1 * lit, 0.62 + 0.5 * lit), 0.9 * rim);
    vec3 target = mix(wash, skin, coverage);

    // Fresh hands settle fast (35 % a frame); old paint drifts off and sinks
    // into the wash (3 % a frame): the log of what stays, blended by coverage.
    float rate = 1.0 - exp2(frames * mix(-0.0439433, -0.6214884, coverage));
    vec3 colour = restart ? target : mix(painted, target, rate);
    fragColor = vec4(colour, t);
}
