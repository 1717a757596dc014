// Scene material, fragment stage. The choreography's flat colour names a material,
// which is lit in linear light by the section's palette (both worked out in the
// vertex stage):
// - Yellow is gold, red a lacquer under a clear coat, cyan and green enamels, white
//   and pale grey a pale stone, mid grey (the figure) titanium, near-black a dark
//   satin graphite. Metals have a coloured specular and no diffuse.
// - Shading is energy-conserving GGX with Schlick Fresnel and Smith visibility.
//   Three directional lights are fixed in the view: a warm key (upper right, in
//   front) with a GGX lobe, a rim behind the objects and a dim fill from below,
//   both diffuse; the ambient is a hemisphere of the section's sky and ground.
//   Reflections come from a procedural environment of the same sky: a horizon
//   gradient, soft light bands and lobes round the key and the rim (the rim's
//   highlight and a clear coat's sharper gloss are in these reflections).
// - Panels with grooves at three scales (faded out where they would alias) vary the
//   albedo and roughness per plate, and the noise normal map (texture2d_1) adds grain
//   to the normal, so large surfaces break up near and far.
// - "Holes" 1 cuts round openings where the tiled blob texture (texture2d_blob) is
//   bright; their rims glow, brighter with the music ("DSP"). "NoBreak" 1 keeps the
//   surface whole. "Mode": 0 plain, 1 the figure's thin-film sheen, 2 emissive.
// - "PosY"/"PP" (the piano note) and "PositionY" (the camera's height) place a warm
//   band of light along the height of the scene; "fttime" turns the sheen and the
//   emissive pulse.
// Outputs: colour to the first buffer, encoded as sqrt(c / 4) so that the 8-bit
// target keeps dark detail and two stops of highlight; to the second, what the
// ambient-occlusion pass reads: view-space normal * 0.5 + 0.5 and view distance / 30.
#version 120

uniform sampler2D texture2d_1;
uniform sampler2D texture2d_blob;
uniform float ttime;
uniform float fttime;
uniform float Holes;
uniform float NoBreak;
uniform int Mode;
uniform float DSP;
uniform float PosY;
uniform float PP;
uniform float PositionY;

varying vec3 world_position;
varying vec3 world_normal;
varying vec3 view_position;
varying vec3 view_normal;
varying vec4 projected;
// From the vertex stage: the section's palette and the material the colour names.
varying vec3 sky_colour;
varying vec3 ground_colour;
varying vec3 key_colour;
varying vec3 rim_colour;
varying vec3 base_albedo;
varying vec3 surface;  // metal, roughness, clear coat

const float far_plane = 30.0;
const float pi = 3.14159265;
// The lights' directions in view space, unit length.
const vec3 key_direction = vec3(0.4802, 0.6202, 0.6202);
const vec3 rim_direction = vec3(-0.4214, 0.3813, -0.8228);
const vec3 fill_direction = vec3(-0.5495, -0.5495, 0.6294);

// --- Surface coordinates, openings, panels ----------------------------------------

// The surface's coordinates on the world plane across the main axis of its true
// (facet) normal: a tube's normals are radial even where the ring radius jumps
// between keys and the surface runs across the tube.
vec2 surface_coordinates() {
    vec3 a = abs(cross(dFdx(world_position), dFdy(world_position)));
    if (a.y >= a.x && a.y >= a.z) return world_position.xz;
    if (a.x >= a.z) return vec2(world_position.z, world_position.y);
    return world_position.xy;
}

float cell_random(vec2 cell) {
    return fract(sin(dot(cell, vec2(12.9898, 78.233))) * 43758.5453);
}

// How far inside an opening's glowing rim the fragment lies (0 outside), or a
// discard inside the opening itself.
float cut_openings(vec2 coordinates) {
    if (Holes < 0.5 || NoBreak > 0.5) return 0.0;
    vec2 cell = coordinates * vec2(0.9, 0.55);
    cell.y += ttime * 0.05;
    float blob = texture2D(texture2d_blob, fract(cell)).r;
    float size = cell_random(floor(cell));  // every cell its own size; a few stay shut
    if (size < 0.12) return 0.0;
    float opening = 0.52 - 0.22 * size - 0.1 * sin(ttime * 0.35 + world_position.y * 0.07);
    if (blob > opening) discard;
    return smoothstep(opening - 0.16, opening, blob);
}

// Plates with grooves between them at three scales (1.5, 1.5/8 and 1.5/64 world
// units high, twice as long, in staggered rows). Each scale fades out where a pixel
// spans more than a fraction of its spacing, so no scale aliases.
// x: albedo factor, y: roughness offset, z: groove (1 in a groove).
const float panel_spacing = 1.5;

float scale_visibility(vec2 q) {
    vec2 width = fwidth(q);
    return 1.0 - smoothstep(0.08, 0.3, max(width.x, width.y));
}

float groove(vec2 q) {
    vec2 line = abs(fract(q + 0.5) - 0.5) / max(fwidth(q), vec2(1e-4));
    return 1.0 - min(min(line.x, line.y), 1.0);
}

vec3 panel_pattern(vec2 coordinates) {
    vec2 p = coordinates / panel_spacing;
    vec3 result = vec3(1.0, 0.0, 0.0);
    float strength = 1.0;
    for (int level = 0; level < 3; ++level) {
        vec2 q = vec2(p.x * 0.5, p.y);
        q.x += 0.5 * mod(floor(q.y), 2.0);
        float seen = scale_visibility(q) * strength;
        float r = cell_random(floor(q) + float(level) * 17.0);
        float g = groove(q);
        result.x *= mix(1.0, (0.72 + 0.5 * r) * (1.0 - 0.6 * g), seen);
        result.y += (r - 0.5) * 0.3 * seen;
        result.z = max(result.z, g * seen);
        p *= 8.0;
        strength *= 0.6;
    }
    return result;
}

vec3 perturbed_normal(vec3 n, float amount) {
    vec3 bump = texture2D(texture2d_1, world_position.xy * 0.21 + world_position.zz * 0.13).rgb * 2.0 - 1.0;
    vec3 tangent = normalize(abs(n.y) < 0.9 ? cross(n, vec3(0.0, 1.0, 0.0)) : cross(n, vec3(1.0, 0.0, 0.0)));
    vec3 bitangent = cross(n, tangent);
    return normalize(n + (tangent * bump.x + bitangent * bump.y) * amount);
}

// --- Materials -------------------------------------------------------------------

struct material {
    vec3 albedo;     // diffuse colour (dielectrics) or F0 (metals), linear
    float metal;     // 0 dielectric, 1 metal
    float rough;     // perceptual roughness
    float coat;      // strength of a clear coat over the base
};

// --- Light -----------------------------------------------------------------------

vec3 fresnel(vec3 f0, float cosine) {
    float x = clamp(1.0 - cosine, 0.0, 1.0);
    float x2 = x * x;
    return f0 + (1.0 - f0) * (x2 * x2 * x);
}

// GGX distribution with Smith-Schlick visibility, times n.l (the radiance scale).
float specular_lobe(vec3 n, vec3 v, vec3 l, float rough, out float vh) {
    vec3 h = normalize(l + v + vec3(0.0, 1e-4, 0.0));
    float nl = max(dot(n, l), 0.0);
    float nv = max(dot(n, v), 1e-3);
    float nh = max(dot(n, h), 0.0);
    vh = clamp(dot(v, h), 0.0, 1.0);
    float a = rough * rough;
    float a2 = a * a;
    float d = nh * nh * (a2 - 1.0) + 1.0;
    float distribution = a2 / (pi * d * d);
    float k = (rough + 1.0) * (rough + 1.0) / 8.0;
    float visibility = 0.25 / ((nl * (1.0 - k) + k) * (nv * (1.0 - k) + k));
    return distribution * visibility * nl;
}

// The environment seen along direction r, blurred by roughness: the horizon
// gradient of the section's sky, three soft light bands and the key's disc.
vec3 environment(vec3 r, float rough) {
    float up = r.y;
    vec3 c = mix(ground_colour, sky_colour, smoothstep(-0.35, 0.55, up));
    float sharp = 1.0 - rough;
    float bands = smoothstep(0.55 - 0.4 * rough, 1.0, sin(up * 7.0 + r.x * 2.2 + 1.3)) * sharp;
    c += sky_colour * bands * 1.8;
    // Lobes around the lights as exp2(k (cos - 1)), close to pow(cos, 0.69 k) near the light.
    c += key_colour * exp2(mix(180.0, 8.0, rough) * (dot(r, key_direction) - 1.0)) * (1.5 + 4.0 * sharp);
    c += rim_colour * exp2(mix(44.0, 4.0, rough) * (dot(r, rim_direction) - 1.0)) * 1.6;
    return c;
}

// One directional light on a material: diffuse (dielectrics only) plus specular.
// A clear coat shows in the sharper reflection of the environment (see shade).
vec3 direct(vec3 n, vec3 v, vec3 l, vec3 light, material m, vec3 f0) {
    float vh;
    float lobe = specular_lobe(n, v, l, max(m.rough, 0.05), vh);
    vec3 f = fresnel(f0, vh);
    float nl = max(dot(n, l), 0.0);
    vec3 diffuse = m.albedo * (1.0 - m.metal) * (1.0 - f) * nl;
    return (diffuse + f * lobe) * light;
}

vec3 shade(vec3 n, vec3 v, material m, float cavity) {
    vec3 f0 = mix(vec3(0.04), m.albedo, m.metal);
    vec3 c = direct(n, v, key_direction, key_colour * 3.8, m, f0);
    // The rim lights the diffuse part directly; its highlight is the rim's lobe in
    // the environment.
    c += m.albedo * (1.0 - m.metal) * max(dot(n, rim_direction), 0.0) * rim_colour * 2.4;
    // The fill is soft: diffuse only.
    float fill = max(dot(n, fill_direction), 0.0);
    c += m.albedo * (1.0 - m.metal) * fill * mix(ground_colour, sky_colour, 0.5) * 0.8;

    float nv = max(dot(n, v), 0.0);
    vec3 hemisphere = mix(ground_colour, sky_colour, 0.5 + 0.5 * n.y);
    c += m.albedo * (1.0 - m.metal) * hemisphere * 0.6 * cavity;
    // One look-up of the environment serves the base and the coat: a coated
    // surface sees it sharper.
    vec3 r = reflect(-v, n);
    vec3 seen = environment(r, mix(m.rough, 0.08, clamp(m.coat, 0.0, 1.0)));
    // Metals see the environment's light more than its hue, so gold stays gold.
    seen = mix(seen, vec3(dot(seen, vec3(0.2126, 0.7152, 0.0722))), 0.5 * m.metal);
    vec3 weight = fresnel(f0, nv) * (1.0 - 0.6 * m.rough) + fresnel(vec3(0.04), nv) * m.coat;
    c += seen * weight * cavity;
    return c;
}

void main() {
    vec2 coordinates = surface_coordinates();
    float rim_glow = cut_openings(coordinates);

    vec3 n = normalize(view_normal + vec3(0.0, 0.0, 1e-5));
    if (!gl_FrontFacing) n = -n;
    float distance_to_eye = length(view_position);
    vec3 to_eye = -view_position / max(distance_to_eye, 1e-4);

    material m = material(base_albedo, surface.x, surface.y, surface.z);
    vec3 panels = panel_pattern(coordinates);
    float grime = texture2D(texture2d_1, coordinates * 0.11).b;
    m.albedo *= mix(0.72, 1.08, grime) * mix(1.0, panels.x, 0.75 + 0.25 * m.metal);
    m.rough = clamp(m.rough + panels.y + (0.5 - grime) * 0.25 + panels.z * 0.3, 0.08, 0.9);
    n = perturbed_normal(n, mix(0.3, 0.16, m.metal));
    float cavity = 1.0 - 0.7 * panels.z;

    vec3 colour = shade(n, to_eye, m, cavity);

    if (Mode == 1) {  // thin-film sheen at grazing angles, on neutral colours only
        float neutral = 1.0 - smoothstep(0.2, 0.5, max(gl_Color.r, max(gl_Color.g, gl_Color.b))
                                                 - min(gl_Color.r, min(gl_Color.g, gl_Color.b)));
        float edge = clamp(1.0 - dot(n, to_eye), 0.0, 1.0);
        float grazing = edge * edge * edge;
        vec3 film = 0.5 + 0.5 * cos(vec3(0.0, 2.1, 4.2) + grazing * 5.0 + fttime * 0.2);
        colour += film * grazing * rim_colour * 0.6 * neutral;
    } else if (Mode == 2) {  // emissive: a glowing core with a bright rim
        float edge = clamp(1.0 - dot(n, to_eye), 0.0, 1.0);
        float grazing = edge * edge;
        vec3 glow = mix(gl_Color.rgb, vec3(0.35, 0.65, 1.0), 0.5);
        colour = glow * (0.9 + 0.25 * sin(fttime * 2.0)) * (0.7 + 0.5 * panels.x)
               + vec3(0.5, 0.8, 1.4) * grazing;
    }

    float drive = clamp(DSP, 0.0, 2.0);
    colour += m.albedo * drive * 0.08;
    colour += vec3(1.6, 0.62, 0.22) * rim_glow * (0.6 + 1.2 * drive);

    float band_height = PositionY + (PosY - 0.5) * 14.0;
    float from_band = world_position.y - band_height;
    float band = exp(-from_band * from_band * 0.08);
    colour += vec3(1.0, 0.55 + 0.3 * PP, 0.25) * band * (0.12 + 0.25 * m.albedo.r);

    gl_FragData[0] = vec4(sqrt(clamp(colour * 0.25, 0.0, 1.0)), 1.0);
    gl_FragData[1] = vec4(n * 0.5 + 0.5, clamp(distance_to_eye / far_plane, 0.0, 1.0));
}
