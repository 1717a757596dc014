// Ambient-occlusion combine and atmosphere. Darkens creases and contact areas of
// the scene colour, then lays the section's haze over it by depth and height, with
// the light scattered toward the rim light's glow, so that distant surfaces melt
// into the void. Where nothing was drawn the void itself is drawn: a gradient from
// the section's sky to its ground, the rim light's glow with shafts around it, and
// slow clouds of three scales made from the noise texture.
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
const vec3 rim_direction = vec3(-0.42, 0.38, -0.82);  // as in the material
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
// blended over two seconds at its start; the same hues as the material's palette.
vec3 haze_high;
vec3 haze_low;
vec3 glow_colour;

void blend_haze(float t, float at, vec3 high, vec3 low, vec3 glow) {
    float w = smoothstep(at, at + 2.0, t);
    haze_high = mix(haze_high, high, w);
    haze_low = mix(haze_low, low, w);
    glow_colour = mix(glow_colour, glow, w);
}

void choose_haze(float t) {
    haze_high = vec3(0.05, 0.16, 0.34);   // the shaft, looking up
    haze_low = vec3(0.008, 0.012, 0.025);
    glow_colour = vec3(0.30, 0.70, 1.00);
    blend_haze(t, 40.5, vec3(0.30, 0.15, 0.05), vec3(0.012, 0.014, 0.03), vec3(1.0, 0.62, 0.30));  // dusk
    blend_haze(t, 85.0, vec3(0.05, 0.08, 0.24), vec3(0.006, 0.006, 0.014), vec3(1.0, 0.45, 0.32)); // wings
    blend_haze(t, 103.0, vec3(0.17, 0.06, 0.28), vec3(0.012, 0.006, 0.016), vec3(0.30, 0.95, 0.82)); // figures
    blend_haze(t, 168.0, vec3(0.34, 0.07, 0.035), vec3(0.008, 0.012, 0.025), vec3(1.0, 0.55, 0.25)); // the fall
    blend_haze(t, 185.0, vec3(0.04, 0.07, 0.30), vec3(0.012, 0.008, 0.01), vec3(0.85, 0.35, 1.00)); // replay
    blend_haze(t, 229.0, vec3(0.02, 0.20, 0.22), vec3(0.012, 0.008, 0.006), vec3(1.0, 0.62, 0.34)); // descent
    blend_haze(t, 258.0, vec3(0.035, 0.045, 0.13), vec3(0.004, 0.004, 0.01), vec3(0.45, 0.55, 1.00)); // credits
}

// Smooth value noise from the 1024-texel noise texture: bilinear look-ups of
// about 16, 40 and 100 texels across the picture.
float clouds(vec2 uv) {
    float c = texture2D(texture2d_random, uv * 0.016).r * 0.5;
    c += texture2D(texture2d_random, uv * 0.04 + 0.37).g * 0.3;
    c += texture2D(texture2d_random, uv * 0.1 + 0.71).b * 0.2;
    return c;
}

vec3 view_ray(vec2 uv) {
    return normalize(vec3((uv * 2.0 - 1.0) * lens, -1.0));
}

// The void seen along the ray through uv.
vec3 backdrop(vec2 uv, vec3 ray) {
    vec3 sun = normalize(rim_direction);
    float toward = max(dot(ray, sun), 0.0);
    vec3 c = mix(haze_low, haze_high, smoothstep(-0.45, 0.5, ray.y + 0.25 * ray.x));

    // Shafts: the angle around the glow picks a streak of the noise.
    vec2 across = ray.xy - sun.xy * dot(ray, sun);
    float angle = atan(across.y, across.x + 1e-5);
    float shafts = texture2D(texture2d_random, vec2(angle * 0.025, fttime * 0.0004)).r;
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
