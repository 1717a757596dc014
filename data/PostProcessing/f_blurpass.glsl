// Final composite into the window, in linear light until the end: depth of field
// from the scene depth, a restrained chromatic aberration that opens on the beat
// ("DSP2"), bloom from the quarter-size highlight image (near and wide), the
// music's exposure flash ("DSP") and beat pulse, the ACES filmic curve (Narkowicz's
// fit), a grade per section of the show (slope and power, then saturation),
// display gamma, a cos^4-like vignette that breathes with the beat and fine,
// midtone-weighted grain from the velocity and noise images. The credits
// (fttime > 260) stay sharp: no depth of field and no aberration.
// Scene colour and highlights arrive encoded as sqrt(c / 4).
// "Limit" is the viewer's exposure trim, moved with the Q (brighter) and A (darker)
// keys: each unit is half a stop, clamped to +-3 stops; it starts at 0.
#version 120

uniform sampler2D texture2d_1;           // scene colour after ambient occlusion
uniform sampler2D texture2d_2;           // scene depth
uniform sampler2D texture2d_s;           // blurred highlights, quarter size
uniform sampler2D texture2d_velocities;  // per-pixel random bytes: grain
uniform sampler2D texture2d_random;      // RGB noise
uniform float Limit;
uniform float ttime;
uniform float fttime;
uniform float DSP;
uniform float DSP2;

const float near_plane = 0.1;
const float far_plane = 30.0;
const float focus_distance = 7.0;
const float credits_start = 260.0;
const float base_exposure = 0.82;
const float print_contrast = 0.55;

float linear_depth(vec2 uv) {
    float d = texture2D(texture2d_2, uv).r * 2.0 - 1.0;
    return 2.0 * near_plane * far_plane / (far_plane + near_plane - d * (far_plane - near_plane));
}

vec3 scene(vec2 uv) {
    vec3 e = texture2D(texture2d_1, uv).rgb;
    return e * e * 4.0;
}

vec3 highlights(vec2 uv) {
    vec3 e = texture2D(texture2d_s, uv).rgb;
    return e * e * 4.0;
}

vec3 depth_of_field(vec2 uv, float amount) {
    float depth = linear_depth(uv);
    float blur = clamp(abs(depth - focus_distance) / 18.0, 0.0, 1.0) * 0.0045 * amount;
    vec3 sum = scene(uv) * 2.0;
    for (int i = 0; i < 8; ++i) {
        float angle = float(i) * 0.7853982;
        sum += scene(uv + vec2(cos(angle), sin(angle)) * blur);
    }
    return sum / 10.0;
}

// Red and blue taken a little outward and inward along the radius.
vec3 aberration(vec2 uv, vec3 colour, float amount) {
    vec2 offset = (uv - 0.5) * 0.006 * amount;
    colour.r = mix(colour.r, scene(uv + offset).r, 0.8);
    colour.b = mix(colour.b, scene(uv - offset).b, 0.8);
    return colour;
}

vec3 bloom(vec2 uv) {
    vec3 near = highlights(uv);
    vec3 wide = highlights(uv + vec2(0.018, 0.03)) + highlights(uv - vec2(0.018, 0.03))
              + highlights(uv + vec2(0.03, -0.018)) + highlights(uv - vec2(0.03, -0.018));
    return near * 0.6 + wide * 0.12;
}

vec3 aces(vec3 x) {
    return clamp(x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

// The grade of each section: slope, power and saturation, blended over
// two seconds at its start (the same times as the palettes).
vec3 slope;
vec3 power;
float saturation;

void blend_grade(float t, float at, vec3 s, vec3 p, float sat) {
    float w = smoothstep(at, at + 2.0, t);
    slope = mix(slope, s, w);
    power = mix(power, p, w);
    saturation = mix(saturation, sat, w);
}

void choose_grade(float t) {
    slope = vec3(1.06, 1.02, 1.0);   // the shaft: teal shadows, warm highlights
    power = vec3(1.08, 1.04, 0.98);
    saturation = 1.05;
    blend_grade(t, 40.5, vec3(1.08, 1.0, 0.92), vec3(1.0, 1.04, 1.1), 0.95);  // dusk
    blend_grade(t, 85.0, vec3(1.0, 1.02, 1.08), vec3(1.06, 1.02, 0.96), 1.0);    // wings
    blend_grade(t, 103.0, vec3(1.06, 0.98, 1.06), vec3(1.02, 1.06, 1.0), 1.0); // figures
    blend_grade(t, 168.0, vec3(1.1, 1.0, 0.95), vec3(0.98, 1.04, 1.06), 0.95); // the fall
    blend_grade(t, 185.0, vec3(1.02, 1.0, 1.08), vec3(1.04, 1.02, 0.96), 1.0);    // replay
    blend_grade(t, 229.0, vec3(1.06, 1.02, 0.98), vec3(1.06, 1.0, 1.0), 1.0); // descent
    blend_grade(t, 258.0, vec3(1.0, 1.0, 1.04), vec3(1.0, 1.0, 0.98), 1.0);     // credits
}

vec3 grade(vec3 c) {
    c = pow(c * slope, power);
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    return max(mix(vec3(luma), c, saturation), 0.0);
}

float grain(vec2 uv) {
    vec2 jitter = vec2(fract(fttime * 7.13 + ttime * 0.01), fract(fttime * 3.71));
    float a = texture2D(texture2d_velocities, uv + jitter).r;
    float b = texture2D(texture2d_random, uv * 1.7 + jitter.yx).g;
    return a + b - 1.0;
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    bool credits = fttime > credits_start;
    float pulse = clamp(DSP2, 0.0, 1.6);

    vec3 colour = depth_of_field(uv, credits ? 0.0 : 1.0);
    float beat = credits ? 0.0 : smoothstep(0.3, 1.4, pulse);
    if (beat > 0.0) colour = aberration(uv, colour, beat);
    colour += bloom(uv) * (0.7 + 0.6 * pulse);

    float flash = credits ? 0.0 : clamp(DSP, 0.0, 1.0) * 0.6;
    float exposure = base_exposure * (1.0 + 0.1 * pulse + flash) * exp2(clamp(Limit, -6.0, 6.0) * 0.5);
    choose_grade(fttime);
    colour = grade(aces(colour * exposure));
    colour = pow(colour, vec3(1.0 / 2.2));
    colour = mix(colour, colour * colour * (3.0 - 2.0 * colour), print_contrast);  // a gentle print S-curve

    vec2 centred = (uv - 0.5) * vec2(1.0, 0.82);
    float falloff = clamp(1.0 - dot(centred, centred) * (1.3 - 0.15 * pulse), 0.0, 1.0);
    colour *= falloff * falloff;

    float luma = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    colour += grain(uv) * 0.09 * (luma - luma * luma + 0.02);
    gl_FragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
