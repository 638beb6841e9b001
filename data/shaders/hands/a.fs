// Hands backdrop, generator pass: two stylised hands reach in from the lower
// corners towards the middle of the picture. Each is a small 3D skeleton
// (forearm, a broad palm pad, three bones to each finger and to the
// thumb) seen in orthographic projection, so every bone is a capsule in
// 2D, and the front-most one under a pixel shades it as a cylinder would.
// On every other bar line the hands close into a fist, on the others they
// reach out with the fingers stretched; they let go over the bar, twitch on
// each beat, push forward with each gesture and turn slowly.
// Expects: vec2 iResolution (pixels), float iTime (music row / 32: one unit
// per bar, so fract(iTime * 4) is the beat's phase).
// Writes: R = coverage, G = diffuse light from the upper left, B = edge
// light from the middle of the picture (both premultiplied by coverage),
// A = signed distance to the nearest hand in picture heights (negative
// inside).
#version 330 core

uniform vec2 iResolution;
uniform float iTime;

in vec2 uv;
out vec4 fragColor;

const float tau = 6.2831853;

// Hand space: x across the palm (the thumb at -x), y along the fingers,
// z out of the palm; the wrist at the origin, knuckles about 1 unit up.
// Finger data from the index to the little finger; bones from the knuckle
// (or the thumb's root) out.
const vec4 knuckleX = vec4(-0.30, -0.09, 0.12, 0.31);
const vec4 knuckleY = vec4(0.95, 1.00, 0.96, 0.87);
const vec4 fingerLength = vec4(0.86, 0.96, 0.90, 0.70);
const vec4 fingerRadius = vec4(0.095, 0.098, 0.091, 0.080);
// Rest angle away from the middle finger, radians; negative leans to the thumb.
const vec4 fingerSplay = vec4(-0.16, -0.03, 0.09, 0.24);
// A finger's bones as parts of its length and of its radius.
const vec3 boneShare = vec3(0.47, 0.30, 0.23);
const vec3 boneTaper = vec3(1.0, 0.92, 0.84);
const vec3 thumbBase = vec3(-0.3, 0.2, 0.02);
const vec3 thumbBone = vec3(0.46, 0.34, 0.27);
const vec3 thumbRadius = vec3(0.15, 0.105, 0.095);
// The palm: one broad pad from above the wrist to below the knuckles.
const vec3 palmBase = vec3(-0.01, 0.3, 0.0);
const float palmLength = 0.38;
const float palmRadius = 0.36;

// The front-most surface under the pixel so far: its height towards the
// viewer and its normal; and the distance to the silhouette.
struct Hit {
    float dist;
    float z;
    vec3 normal;
};

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

mat3 rotX(float a) {
    float c = cosine(a), s = sine(a);
    return mat3(1.0, 0.0, 0.0, 0.0, c, s, 0.0, -s, c);
}

mat3 rotY(float a) {
    float c = cosine(a), s = sine(a);
    return mat3(c, 0.0, -s, 0.0, 1.0, 0.0, s, 0.0, c);
}

mat3 rotZ(float a) {
    float c = cosine(a), s = sine(a);
    return mat3(c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0);
}

vec2 complexMul(vec2 a, vec2 b) {
    return vec2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

// Offset of p from the nearest point of segment a-b (picture plane), and
// that point's depth.
vec2 segmentOffset(vec2 p, vec3 a, vec3 b, out float z) {
    vec2 pa = p - a.xy;
    vec2 ba = b.xy - a.xy;
    float h = clamp(dot(pa, ba) / max(dot(ba, ba), 1e-9), 0.0, 1.0);
    z = mix(a.z, b.z, h);
    return pa - ba * h;
}

// One bone: a capsule of radius r between a and b, shaded as a cylinder
// whose bulge is scaled by flatness (1 round, smaller flatter). The normal
// is kept unnormalised.
void bone(inout Hit hit, vec2 p, vec3 a, vec3 b, float r, float flatness) {
    float axisZ;
    vec2 d = segmentOffset(p, a, b, axisZ);
    float d2 = dot(d, d);
    hit.dist = min(hit.dist, sqrt(d2) - r);
    float bulge = sqrt(max(r * r - d2, 0.0));
    float z = axisZ + flatness * bulge;
    if (d2 < r * r && z > hit.z) {
        hit.z = z;
        hit.normal = vec3(flatness * d, bulge);
    }
}

// The gesture that lands on bar line n: a fist on even bars, a reach with
// the fingers stretched back on odd ones.
float accent(float n) {
    return mod(n, 2.0) < 0.5 ? 1.0 : -0.25;
}

// How far a hand has gone into the gesture of the nearest bar line: it
// moves in over the last fifth of the bar, lands on the line and comes
// back over half a bar.
float gesture(float t) {
    float n = floor(t);
    float bar = t - n;
    return accent(n + 1.0) * smoothstep(0.8, 1.0, bar) + accent(n) * (1.0 - smoothstep(0.0, 0.55, bar));
}

// Grip of a hand, 0 open to 1 a fist (below 0 stretched), with a twitch
// shut on every beat.
float grip(float t) {
    float g = gesture(t);
    float beat = fract(t * 4.0);
    float twitch = smoothstep(0.0, 0.07, beat) * (1.0 - smoothstep(0.07, 0.5, beat));
    return 0.08 + 0.72 * g + 0.14 * twitch * (1.0 - abs(g));
}

// Adds one hand. wrist: picture position; roll: turn in the picture plane
// (0 = fingers up); yaw: turn about the arm (0 = palm towards the viewer);
// size: picture heights per hand unit; mirror: -1 for the other hand;
// t: the hand's own time. The fingers lean a little towards the viewer.
void hand(inout Hit hit, vec2 p, vec2 wrist, float roll, float yaw, float size,
          float mirror, float t) {
    mat3 m = size * rotZ(roll) * rotX(0.3) * rotY(yaw);
    m[0] *= mirror;
    vec3 w = vec3(wrist, 0.0);

    bone(hit, p, w + m * vec3(0.0, 0.05, -0.12), w + m * vec3(0.0, -4.0, -0.3), 0.22 * size, 1.0);

    // Each finger closes a moment after the next one, the little finger
    // first, and the thumb last: the grips between two looks at the
    // gesture a tenth of a bar apart. The thumb swings from out to the side
    // across the front of the palm, bending towards its middle.
    float gripNow = grip(t);
    float gripBefore = grip(t - 0.1);
    vec4 grips = mix(vec4(gripBefore), vec4(gripNow), vec4(0.25, 0.5, 0.75, 1.0));
    float thumbGrip = gripBefore;
    vec3 thumbAlong = normalize(mix(vec3(-0.6, 0.72, 0.3), vec3(0.2, 0.55, 0.85), thumbGrip));
    vec3 flex = vec3(0.55, 0.0, 0.85);
    vec3 thumbBend = normalize(flex - dot(flex, thumbAlong) * thumbAlong);

    // The four fingers lie within a capsule from above the knuckles that
    // shortens and tips forward as the hand closes (fitted to every grip
    // the fingers reach, with a little to spare). The margin keeps the
    // distance exact as far out as the paint pass darkens the wash round
    // the hands.
    float least = min(min(grips.x, grips.y), min(grips.z, grips.w));
    float boundZ;
    vec2 fromBound = segmentOffset(p, w + m * vec3(0.06, 1.32, 0.0),
                                   w + m * vec3(-0.05 + 0.06 * least, 1.48 - 1.1 * least, 0.2 + 0.87 * least),
                                   boundZ);
    float outside = length(fromBound) - (0.64 - 0.1 * least) * size;
    bool near = outside < 0.03;
    hit.dist = min(hit.dist, near ? 1e4 : outside);

    // The palm pad.
    bone(hit, p, w + m * palmBase, w + m * (palmBase + vec3(0.0, palmLength, 0.0)),
         palmRadius * size, 0.4);

    // The thumb, then the fingers, one digit each time round: a software
    // rasteriser runs both sides of an if but leaves a loop once no pixel
    // of its group needs it, so away from the fingers this costs one digit,
    // the thumb, which is drawn everywhere and so needs no bound.
    // Per-digit data is picked with one-hot dot products, cheaper there
    // than indexing arrays by a varying index. A digit bends by the same
    // angle at each of its joints towards the palm side (+z); a finger's
    // first bone is already turned once at the knuckle.
    for (int digit = 0; digit < 5; ++digit) {
        vec4 finger = vec4(equal(vec4(float(digit)), vec4(1.0, 2.0, 3.0, 4.0)));
        bool thumb = digit == 0;
        float g = dot(grips, finger);
        float splay = dot(fingerSplay, finger) * (1.5 - 1.2 * g);
        // sin and cos of the small splay angle, to second order.
        vec3 along = m * (thumb ? thumbAlong : vec3(splay, 1.0 - 0.5 * splay * splay, 0.0));
        vec3 bend = m * (thumb ? thumbBend : vec3(0.0, 0.0, 1.0));
        // The joint's turn from the tangent of its half angle.
        float tanHalf = thumb ? 0.1 + 0.3 * thumbGrip : 0.05 + 0.88 * g;
        vec2 turn = vec2(1.0 - tanHalf * tanHalf, 2.0 * tanHalf) / (1.0 + tanHalf * tanHalf);
        vec2 r = thumb ? vec2(1.0, 0.0) : turn;
        vec3 lengths = thumb ? thumbBone : dot(fingerLength, finger) * boneShare;
        vec3 radii = size * (thumb ? thumbRadius : dot(fingerRadius, finger) * boneTaper);
        vec3 joint = w + m * (thumb ? thumbBase : vec3(dot(knuckleX, finger), dot(knuckleY, finger), 0.0));

        vec3 next = joint + lengths.x * (r.x * along + r.y * bend);
        bone(hit, p, joint, next, radii.x, 1.0);
        r = complexMul(r, turn);
        joint = next;
        next = joint + lengths.y * (r.x * along + r.y * bend);
        bone(hit, p, joint, next, radii.y, 1.0);
        r = complexMul(r, turn);
        joint = next;
        next = joint + lengths.z * (r.x * along + r.y * bend);
        bone(hit, p, joint, next, radii.z, 1.0);
        if (!near)
            break;
    }
}

void main() {
    vec2 p = (gl_FragCoord.xy - 0.5 * iResolution) / iResolution.y;
    float t = iTime;

    Hit hit = Hit(1e4, -1e4, vec3(0.0, 0.0, 1.0));

    // One hand a side of the picture, each staying on its own half, so a
    // pixel only ever looks at one. Each pushes forward with its gesture
    // and breathes over eight bars; the right hand answers the left half a
    // bar later.
    float side = p.x < 0.0 ? -1.0 : 1.0;
    float k = 0.5 + 0.5 * side;
    float ht = t + 0.5 * k;
    float breathe = sine(tau * (t / 8.0 + 0.25 * k));
    float roll = side * (0.78 + 0.1 * breathe);
    float yaw = side * (0.25 + 0.35 * sine(tau * (t / 16.0 + 0.3 * k)));
    float reach = 0.06 * abs(gesture(ht)) + 0.035 * breathe;
    vec2 wrist = vec2(side * 0.6, -0.33) + reach * vec2(-sine(roll), cosine(roll));
    hand(hit, p, wrist, roll, yaw, 0.26, side, ht);

    float pixel = 1.0 / iResolution.y;
    float coverage = 1.0 - smoothstep(-pixel, pixel, hit.dist);
    vec3 n = normalize(hit.normal);
    // Key light from the upper left, in front; wrapped so shadows stay soft.
    vec3 light = normalize(vec3(-0.5, 0.6, 0.65));
    float diffuse = clamp(dot(n, light) * 0.7 + 0.3, 0.0, 1.0);
    // Edge light from the middle of the picture, where the ball shines.
    float rim = smoothstep(0.2, 0.8, dot(n.xy, normalize(-p + 1e-5)));
    fragColor = vec4(coverage, diffuse * coverage, rim * coverage, clamp(hit.dist, -1.0, 1.0));
}
