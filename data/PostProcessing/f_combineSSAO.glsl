// Ambient-occlusion combine and atmosphere. Darkens creases and contact areas of
// the scene colour, then lays the section's haze over it by depth and height, with
// the light scattered toward the rim light's glow, so that distant surfaces melt
// into the void. Where nothing was drawn the void itself is drawn: a gradient from
// the section's sky to its ground, the rim light's glow with shafts around it, and
// slow clouds of two scales made from the noise texture.
// During the credits (fttime > 260) the lines are added unblurred and unhazed to
// the void, so that they stay crisp and a fading line sinks into it.
// Inputs: texture2d_1 scene colour (encoded as sqrt(c / 4), the same on output),
// texture2d_2 scene depth (near 0.1, far 30), texture2d_3 the scene's second output
// (view-space normal in rgb, depth/30 in a), texture2d_random per-texel noise that
// rotates the sample kernel per pixel and makes the clouds.
// "Limit" is a fresh random value each frame and jitters the kernel; "fttime" drifts
// the clouds and picks the section's haze.
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
const vec3 rim_direction = vec3(-0.4214, 0.3813, -0.8228);  // as in the material, unit length
const vec2 lens = vec2(0.74, 0.42);  // half extents of the view at unit distance

float linear_depth(vec2 uv) {
    float d = texture2D(texture2d_2, uv).r * 2.0 - 1.0;
    return 2.0 * near_plane * far_plane / (far_plane + near_plane - d * (far_plane - near_plane));
}

vec3 decode(vec3 c) { return c * c * 4.0; }
vec3 encode(vec3 c) { return sqrt(clamp(c * 0.25, 0.0, 1.0)); }

// A spiral of taps in the unit disc, denser near the centre.
vec2 kernel_tap(int i) {
    float f = (float(i) + 0.5) / float(tap_count);
    float angle = float(i) * 2.399963;  // golden angle
    return vec2(cos(angle), sin(angle)) * f;
}

// The haze of each section (its upper colour, its lower colour and its glow),
// starting at `section_starts` (show time) and blended from the previous one over
// two seconds; the same times and hues as the material's palette.
const float section_starts[9] = float[9](0.0, 40.5, 85.0, 103.0, 118.0, 168.0, 185.0, 229.0, 258.0);
const vec3 haze_highs[9] = vec3[9](
    vec3(0.05, 0.16, 0.34),    // the shaft, looking up
    vec3(0.30, 0.15, 0.05),    // dusk, looking down
    vec3(0.05, 0.08, 0.24),    // between the wings
    vec3(0.22, 0.05, 0.10),    // the upper mesh
    vec3(0.17, 0.06, 0.28),    // the figures
    vec3(0.34, 0.07, 0.035),   // the fall
    vec3(0.04, 0.07, 0.30),    // the replay
    vec3(0.02, 0.20, 0.22),    // the descent
    vec3(0.035, 0.045, 0.13)); // the credits
const vec3 haze_lows[9] = vec3[9](
    vec3(0.008, 0.012, 0.025), vec3(0.012, 0.014, 0.03), vec3(0.006, 0.006, 0.014), vec3(0.006, 0.01, 0.016), vec3(0.012, 0.006, 0.016),
    vec3(0.008, 0.012, 0.025), vec3(0.012, 0.008, 0.01), vec3(0.012, 0.008, 0.006), vec3(0.004, 0.004, 0.01));
const vec3 glows[9] = vec3[9](
    vec3(0.30, 0.70, 1.00), vec3(1.0, 0.62, 0.30), vec3(1.0, 0.45, 0.32), vec3(0.25, 0.80, 1.00), vec3(0.30, 0.95, 0.82),
    vec3(1.0, 0.55, 0.25), vec3(0.85, 0.35, 1.00), vec3(1.0, 0.62, 0.34), vec3(0.45, 0.55, 1.00));

vec3 haze_high;
vec3 haze_low;
vec3 glow_colour;

void choose_haze(float t) {
    int i = 0;
    for (int k = 1; k < 9; ++k)
        if (t >= section_starts[k]) i = k;
    int before = i > 0 ? i - 1 : 0;
    float w = smoothstep(section_starts[i], section_starts[i] + 2.0, t);
    haze_high = mix(haze_highs[before], haze_highs[i], w);
    haze_low = mix(haze_lows[before], haze_lows[i], w);
    glow_colour = mix(glows[before], glows[i], w);
}

// Smooth value noise from the 1024-texel noise texture: bilinear look-ups of
// about 16 and 50 texels across the picture.
float clouds(vec2 uv) {
    float c = texture2D(texture2d_random, uv * 0.016).r * 0.62;
    c += texture2D(texture2d_random, uv * 0.05 + 0.37).g * 0.38;
    return c;
}

vec3 view_ray(vec2 uv) {
    return normalize(vec3((uv * 2.0 - 1.0) * lens, -1.0));
}

// The void seen along the ray through uv.
vec3 backdrop(vec2 uv, vec3 ray) {
    vec3 sun = rim_direction;
    float toward = max(dot(ray, sun), 0.0);
    vec3 c = mix(haze_low, haze_high, smoothstep(-0.45, 0.5, ray.y + 0.25 * ray.x));

    // Shafts: the direction around the glow picks a streak of the noise, read on a
    // circle about 300 texels round.
    vec2 across = ray.xy - sun.xy * dot(ray, sun);
    vec2 around = across * inversesqrt(dot(across, across) + 1e-8);
    float shafts = texture2D(texture2d_random, around * 0.05 + vec2(0.5, fttime * 0.0004)).r;
    shafts = smoothstep(0.3, 1.0, shafts);

    vec2 drift = vec2(fttime * 0.011, fttime * 0.023);
    float cloud = clouds(uv * vec2(1.78, 1.0) + drift);
    float density = smoothstep(0.25, 0.8, cloud);
    c = c * (0.45 + 0.95 * density) + haze_high * 0.06;
    c += glow_colour * (pow(toward, 14.0) * 0.5 + pow(toward, 90.0) * 1.6) * (0.5 + 0.8 * density);
    c += glow_colour * shafts * 0.12 * pow(toward, 6.0) * (0.4 + density);
    return c;
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
    choose_haze(fttime);
    vec4 colour = texture2D(texture2d_1, uv);
    float depth = linear_depth(uv);
    vec3 ray = view_ray(uv);
    vec3 behind = backdrop(uv, ray);
    if (depth > far_plane * 0.98) {  // background: nothing to occlude, only the void
        gl_FragColor = vec4(encode(behind), colour.a);
        return;
    }
    if (fttime > credits_start) {  // credits: the lines as drawn (plain grey), over the void
        gl_FragColor = vec4(encode(behind + colour.rgb * colour.rgb * 3.2), colour.a);
        return;
    }
    vec3 normal = texture2D(texture2d_3, uv).rgb * 2.0 - 1.0;
    // Surfaces facing the camera occlude less of themselves.
    float facing = clamp(abs(normal.z), 0.0, 1.0);
    float ambient = 1.0 - occlusion_at(uv, depth) * mix(1.1, 0.7, facing);
    vec3 lit = decode(colour.rgb) * clamp(ambient, 0.15, 1.0);

    // Haze thickens with distance, and more so below the camera's horizon.
    float density = 0.04 * (1.0 + 0.8 * clamp(-ray.y, 0.0, 1.0));
    float haze = 1.0 - exp(-max(depth - 2.0, 0.0) * density);
    gl_FragColor = vec4(encode(mix(lit, behind, haze)), colour.a);
}
