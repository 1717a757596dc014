// Ambient-occlusion combine: darkens creases and contact areas of the scene colour.
// Inputs: texture2d_1 scene colour, texture2d_2 scene depth (near 0.1, far 30),
// texture2d_3 the scene's second output (view-space normal in rgb, depth/30 in a),
// texture2d_random the RGB noise texture that rotates the sample kernel per pixel.
// "Limit" is a fresh random value each frame and jitters the kernel so the grain
// moves; "fttime" slowly turns the noise pattern.
#version 120

uniform sampler2D texture2d_1;
uniform sampler2D texture2d_2;
uniform sampler2D texture2d_3;
uniform sampler2D texture2d_random;
uniform float Limit;
uniform float fttime;

const float near_plane = 0.1;
const float far_plane = 30.0;
const int tap_count = 12;

float linear_depth(vec2 uv) {
    float d = texture2D(texture2d_2, uv).r * 2.0 - 1.0;
    return 2.0 * near_plane * far_plane / (far_plane + near_plane - d * (far_plane - near_plane));
}

// A spiral of taps in the unit disc, denser near the centre.
vec2 kernel_tap(int i) {
    float f = (float(i) + 0.5) / float(tap_count);
    float angle = float(i) * 2.399963;  // golden angle
    return vec2(cos(angle), sin(angle)) * f;
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    vec4 colour = texture2D(texture2d_1, uv);
    float depth = linear_depth(uv);
    if (depth > far_plane * 0.98) {  // background: nothing to occlude
        gl_FragColor = colour;
        return;
    }
    vec3 normal = texture2D(texture2d_3, uv).rgb * 2.0 - 1.0;

    vec2 noise_uv = uv * vec2(7.3, 4.1) + vec2(Limit * 0.37, fract(fttime * 0.013));
    vec2 rotation = normalize(texture2D(texture2d_random, noise_uv).rg * 2.0 - 1.0 + 1e-4);
    mat2 rotate = mat2(rotation.x, rotation.y, -rotation.y, rotation.x);

    // The kernel covers about 0.6 world units at the pixel's depth.
    float radius = clamp(0.6 / depth, 0.004, 0.08);
    float occlusion = 0.0;
    for (int i = 0; i < tap_count; ++i) {
        vec2 offset = rotate * kernel_tap(i) * radius;
        float sample_depth = linear_depth(uv + offset);
        float closer = depth - sample_depth;  // > 0: the neighbour stands in front
        float range = 1.0 - smoothstep(0.0, 1.2, abs(closer));
        occlusion += step(0.03, closer) * range;
    }
    occlusion /= float(tap_count);
    // Surfaces facing the camera occlude less of themselves.
    float facing = clamp(abs(normal.z), 0.0, 1.0);
    float ambient = 1.0 - occlusion * mix(1.1, 0.7, facing);
    gl_FragColor = vec4(colour.rgb * clamp(ambient, 0.15, 1.0), colour.a);
}
