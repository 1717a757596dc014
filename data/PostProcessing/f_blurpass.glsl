// Final composite into the window: depth of field from the scene depth, bloom from
// the quarter-size highlight image, a music-driven exposure flash ("DSP"), a beat
// pulse on the bloom and the exposure ("DSP2"), film grain from the velocity and
// noise images, a vignette that breathes with the beat, and a filmic curve into
// display range that takes a scene value of 1 to just below white, so only a
// music flash clips. During the credits (fttime > 260) the picture is left sharp:
// no depth of field, no grain, a straight curve.
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
const float curve = 1.4;  // strength of the filmic shoulder

float linear_depth(vec2 uv) {
    float d = texture2D(texture2d_2, uv).r * 2.0 - 1.0;
    return 2.0 * near_plane * far_plane / (far_plane + near_plane - d * (far_plane - near_plane));
}

vec3 depth_of_field(vec2 uv) {
    float depth = linear_depth(uv);
    float blur = clamp(abs(depth - focus_distance) / 18.0, 0.0, 1.0) * 0.0045;
    vec3 sum = texture2D(texture2d_1, uv).rgb * 2.0;
    float total = 2.0;
    for (int i = 0; i < 8; ++i) {
        float angle = float(i) * 0.7853982;
        vec2 offset = vec2(cos(angle), sin(angle)) * blur;
        sum += texture2D(texture2d_1, uv + offset).rgb;
        total += 1.0;
    }
    return sum / total;
}

float grain(vec2 uv) {
    vec2 jitter = vec2(fract(fttime * 7.13), fract(fttime * 3.71));
    float a = texture2D(texture2d_velocities, uv + jitter).r;
    float b = texture2D(texture2d_random, uv * 1.7 + jitter.yx).g;
    return (a + b - 1.0) * 0.02;
}

// 1 - exp(-k x), scaled so that x = 1 gives 0.985: mid tones lifted, no hard clip.
vec3 filmic(vec3 x) {
    return (vec3(1.0) - exp(-x * curve)) * (0.985 / (1.0 - exp(-curve)));
}

vec3 credits_picture(vec2 uv) {
    // Lines just below white: bright and sharp, never clipped.
    vec3 colour = min(texture2D(texture2d_1, uv).rgb + texture2D(texture2d_s, uv).rgb * 0.12, vec3(0.97));
    vec2 centred = uv - 0.5;
    return colour * clamp(1.0 - dot(centred, centred) * 0.6, 0.0, 1.0);
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    if (fttime > credits_start) {
        gl_FragColor = vec4(clamp(credits_picture(uv), 0.0, 1.0), 1.0);
        return;
    }
    vec3 colour = depth_of_field(uv);

    float pulse = clamp(DSP2, 0.0, 1.6);
    colour += texture2D(texture2d_s, uv).rgb * (0.5 + 0.9 * pulse);

    float exposure = (1.0 + 0.12 * pulse + clamp(DSP, 0.0, 1.0) * 0.6) * exp2(clamp(Limit, -6.0, 6.0) * 0.5);
    colour = filmic(colour * exposure);

    colour += grain(uv);
    vec2 centred = uv - 0.5;
    float vignette = 1.0 - dot(centred, centred) * (0.95 - 0.15 * pulse);
    colour *= clamp(vignette, 0.0, 1.0);

    gl_FragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
