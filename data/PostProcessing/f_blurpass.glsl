// Final composite into the window: depth of field from the scene depth, bloom from
// the quarter-size highlight image, a music-driven exposure flash ("DSP"), a beat
// pulse on the bloom ("DSP2"), film grain from the velocity and noise images, a
// vignette, and a filmic curve into display range.
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
    return (a + b - 1.0) * 0.035;
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    vec3 colour = depth_of_field(uv);

    float pulse = clamp(DSP2, 0.0, 1.6);
    colour += texture2D(texture2d_s, uv).rgb * (0.7 + 0.6 * pulse);

    float exposure = (1.15 + clamp(DSP, 0.0, 1.0) * 1.4) * exp2(clamp(Limit, -6.0, 6.0) * 0.5);
    colour = vec3(1.0) - exp(-colour * exposure);  // filmic shoulder, never clips hard

    colour += grain(uv);
    vec2 centred = uv - 0.5;
    float vignette = 1.0 - dot(centred, centred) * 0.9;
    colour *= clamp(vignette, 0.0, 1.0);

    gl_FragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
