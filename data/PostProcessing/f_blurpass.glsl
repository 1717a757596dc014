// Final composite into the window, in linear light until the end: depth of field
// from the scene depth, a restrained chromatic aberration that opens on the beat
// ("DSP2"), bloom from the quarter-size highlight image, the
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

vec3 aces(vec3 x) {
    return clamp(x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

// The grade of each section: slope, power and saturation, starting at
// `section_starts` (show time) and blended from the previous one over two seconds
// (the same times as the palettes).
const float section_starts[9] = float[9](0.0, 40.5, 85.0, 103.0, 118.0, 168.0, 185.0, 229.0, 258.0);
const vec3 slopes[9] = vec3[9](
    vec3(1.06, 1.02, 1.0),    // the shaft: teal shadows, warm highlights
    vec3(1.08, 1.0, 0.92),    // dusk
    vec3(1.0, 1.02, 1.08),    // between the wings
    vec3(1.06, 1.0, 1.0),     // the upper mesh
    vec3(1.06, 0.98, 1.06),   // the figures
    vec3(1.1, 1.0, 0.95),     // the fall
    vec3(1.02, 1.0, 1.08),    // the replay
    vec3(1.06, 1.02, 0.98),   // the descent
    vec3(1.0, 1.0, 1.04));    // the credits
const vec3 powers[9] = vec3[9](
    vec3(1.08, 1.04, 0.98), vec3(1.0, 1.04, 1.1), vec3(1.06, 1.02, 0.96), vec3(1.0, 1.02, 1.04), vec3(1.02, 1.06, 1.0),
    vec3(0.98, 1.04, 1.06), vec3(1.04, 1.02, 0.96), vec3(1.06, 1.0, 1.0), vec3(1.0, 1.0, 0.98));
const float saturations[9] = float[9](1.05, 0.95, 1.0, 1.0, 1.0, 0.95, 1.0, 1.0, 1.0);

vec3 slope;
vec3 power;
float saturation;

void choose_grade(float t) {
    int i = 0;
    for (int k = 1; k < 9; ++k)
        if (t >= section_starts[k]) i = k;
    int before = i > 0 ? i - 1 : 0;
    float w = smoothstep(section_starts[i], section_starts[i] + 2.0, t);
    slope = mix(slopes[before], slopes[i], w);
    power = mix(powers[before], powers[i], w);
    saturation = mix(saturations[before], saturations[i], w);
}

// The grade and the display gamma in one power: slope and saturation in linear
// light, then the section's power over 2.2.
vec3 grade_to_display(vec3 c) {
    c *= slope;
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    c = max(mix(vec3(luma), c, saturation), 0.0);
    return pow(c, power / 2.2);
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
    colour += highlights(uv) * (0.85 + 0.7 * pulse);

    float flash = credits ? 0.0 : clamp(DSP, 0.0, 1.0) * 0.6;
    float exposure = base_exposure * (1.0 + 0.1 * pulse + flash) * exp2(clamp(Limit, -6.0, 6.0) * 0.5);
    choose_grade(fttime);
    colour = grade_to_display(aces(colour * exposure));
    colour = mix(colour, colour * colour * (3.0 - 2.0 * colour), print_contrast);  // a gentle print S-curve

    vec2 centred = (uv - 0.5) * vec2(1.0, 0.82);
    float falloff = clamp(1.0 - dot(centred, centred) * (1.3 - 0.15 * pulse), 0.0, 1.0);
    colour *= falloff * falloff;

    float luma = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    colour += grain(uv) * 0.09 * (luma - luma * luma + 0.02);
    gl_FragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
