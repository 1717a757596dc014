// Ambient-occlusion combine: darkens creases and contact areas of the scene colour,
// then lays the show's haze over it by depth (and a little of its light on dark
// near surfaces). The haze is also the backdrop where nothing was drawn: a colour per
// section of the show (picked by "fttime"), a glow toward the middle of the
// picture, where the column's far end lies, and slow clouds from the noise texture.
// During the credits (fttime > 260) the lines are added unblurred and unhazed to a
// dark backdrop, so that they stay crisp and a fading line sinks into the backdrop
// instead of darkening it.
// Inputs: texture2d_1 scene colour, texture2d_2 scene depth (near 0.1, far 30),
// texture2d_3 the scene's second output (view-space normal in rgb, depth/30 in a),
// texture2d_random the noise texture that rotates the sample kernel per pixel and
// shapes the clouds.
// "Limit" is a fresh random value each frame and jitters the kernel so the grain
// moves; "fttime" slowly turns the noise pattern, drifts the clouds and picks the
// section's haze.
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
const float credits_start = 260.0;

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

// The haze of each section, blended over a second or two at its start.
vec3 section_haze(float t) {
    vec3 c = vec3(0.13, 0.27, 0.40);                                 // the shaft, looking up
    c = mix(c, vec3(0.34, 0.21, 0.11), smoothstep(40.5, 42.5, t));   // dusk, looking down
    c = mix(c, vec3(0.10, 0.17, 0.30), smoothstep(85.0, 87.0, t));   // between the wings
    c = mix(c, vec3(0.22, 0.14, 0.32), smoothstep(103.0, 105.0, t)); // the figures
    c = mix(c, vec3(0.36, 0.15, 0.08), smoothstep(168.0, 170.0, t)); // the fall
    c = mix(c, vec3(0.20, 0.13, 0.32), smoothstep(185.0, 187.0, t)); // the replay
    c = mix(c, vec3(0.08, 0.24, 0.27), smoothstep(229.0, 231.0, t)); // the descent
    c = mix(c, vec3(0.09, 0.10, 0.17), smoothstep(258.0, 260.0, t)); // the credits
    return c;
}

vec3 backdrop(vec2 uv) {
    vec2 centred = (uv - 0.5) * vec2(1.78, 1.0);
    float glow = exp(-dot(centred, centred) * 3.0);
    vec2 drift = vec2(fttime * 0.004, fttime * 0.011);
    float clouds = texture2D(texture2d_random, uv * vec2(0.9, 0.5) + drift).r;
    vec3 haze = section_haze(fttime);
    return haze * (0.55 + 0.9 * glow) * (0.8 + 0.45 * clouds);
}

float occlusion_at(vec2 uv, float depth) {
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
    return occlusion / float(tap_count);
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    vec4 colour = texture2D(texture2d_1, uv);
    float depth = linear_depth(uv);
    vec3 behind = backdrop(uv);
    if (depth > far_plane * 0.98) {  // background: nothing to occlude, only haze
        gl_FragColor = vec4(behind, colour.a);
        return;
    }
    if (fttime > credits_start) {  // credits: the lines as drawn, fading into the backdrop
        gl_FragColor = vec4(behind + colour.rgb, colour.a);
        return;
    }
    vec3 normal = texture2D(texture2d_3, uv).rgb * 2.0 - 1.0;
    // Surfaces facing the camera occlude less of themselves.
    float facing = clamp(abs(normal.z), 0.0, 1.0);
    float ambient = 1.0 - occlusion_at(uv, depth) * mix(1.1, 0.7, facing);
    vec3 lit = colour.rgb * clamp(ambient, 0.15, 1.0);
    float haze = 1.0 - exp(-max(depth - 1.5, 0.0) * 0.085);
    // Dark near surfaces take a little of the haze's light too, so they keep a tint;
    // bright ones keep their own colour.
    float brightness = dot(lit, vec3(0.2126, 0.7152, 0.0722));
    lit += behind * 0.22 * (1.0 - haze) * (1.0 - clamp(brightness * 1.6, 0.0, 1.0));
    gl_FragColor = vec4(mix(lit, behind, haze), colour.a);
}
