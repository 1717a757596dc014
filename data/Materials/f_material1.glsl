// Scene material, fragment stage. Lights the surface with its normal perturbed by
// the noise normal map (texture2d_1, sampled along world axes) and the current
// colour as albedo, then adds the show's effects:
// - The albedo is a paint: the choreography's pure primaries are softened a little
//   and floored, so that near-black strands still show their form and pure yellow
//   or red surfaces keep shading instead of filling the screen flat.
// - A key light fixed in the view, a headlight at the eye that falls off with
//   distance, a hemisphere fill and a rim; panels with grooves between them at
//   three scales (faded out where they would alias) and grime from the normal map
//   give every surface a scale, near or far.
// - "Holes" 1 cuts round openings where the tiled blob texture (texture2d_blob) is
//   bright, projected along the main world axis of the surface's facet; each
//   opening has a size of its own, a few stay shut, and all breathe with "ttime";
//   their rims glow, brighter with the music. "NoBreak" 1 keeps the surface whole.
// - "Mode": 0 plain, 1 the figure's sheen (iridescent rim), 2 emissive (the blue piece).
// - "DSP" is the music drive: an emission pulse on the beat's low end and the glow
//   of the openings' rims.
// - "PosY"/"PP" (the piano note's pitch) and "PositionY" (the camera's height) place
//   a band of warm light along the height of the scene.
// - No fog here: the ambient-occlusion combine pass lays the haze over the picture
//   by depth, so that surfaces and the empty background meet in one colour.
// Outputs: colour to the first buffer; to the second, what the ambient-occlusion
// pass reads: view-space normal * 0.5 + 0.5 in rgb and view distance / 30 in alpha.
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

const float far_plane = 30.0;

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
float cut_openings() {
    if (Holes < 0.5 || NoBreak > 0.5) return 0.0;
    vec2 cell = surface_coordinates() * vec2(0.9, 0.55);
    cell.y += ttime * 0.05;
    float blob = texture2D(texture2d_blob, fract(cell)).r;
    float size = cell_random(floor(cell));  // every cell its own size; a few stay shut
    if (size < 0.12) return 0.0;
    float opening = 0.52 - 0.22 * size - 0.1 * sin(ttime * 0.35 + world_position.y * 0.07);
    if (blob > opening) discard;
    return smoothstep(opening - 0.16, opening, blob);
}

vec3 perturbed_normal(vec3 n) {
    vec3 bump = texture2D(texture2d_1, world_position.xy * 0.21 + world_position.zz * 0.13).rgb * 2.0 - 1.0;
    vec3 tangent = normalize(abs(n.y) < 0.9 ? cross(n, vec3(0.0, 1.0, 0.0)) : cross(n, vec3(1.0, 0.0, 0.0)));
    vec3 bitangent = cross(n, tangent);
    return normalize(n + (tangent * bump.x + bitangent * bump.y) * 0.35);
}

vec3 paint(vec3 colour) {
    float grey = dot(colour, vec3(0.299, 0.587, 0.114));
    return mix(vec3(grey), colour, 0.84) * 0.58 + 0.09;
}

// Plates with dark grooves between them at three scales (1.5, 1.5/8 and 1.5/64
// world units high, twice as long, in staggered rows), so that a surface seen from far away and a thin strand seen from
// right next to it both show their size. Each scale fades out where a pixel spans
// more than a fraction of its spacing, so no scale aliases.
const float panel_spacing = 1.5;

float scale_visibility(vec2 q) {
    vec2 width = fwidth(q);
    return 1.0 - smoothstep(0.08, 0.3, max(width.x, width.y));
}

float groove(vec2 q) {
    vec2 line = abs(fract(q + 0.5) - 0.5) / max(fwidth(q), vec2(1e-4));
    return 1.0 - min(min(line.x, line.y), 1.0);
}

// Albedo factor of the panels: each panel a brightness of its own, grooves dark.
float panel_pattern() {
    vec2 p = surface_coordinates() / panel_spacing;
    float factor = 1.0;
    float strength = 1.0;
    for (int level = 0; level < 3; ++level) {
        vec2 q = vec2(p.x * 0.5, p.y);                // plates twice as long as high,
        q.x += 0.5 * mod(floor(q.y), 2.0);           // every other row staggered
        float seen = scale_visibility(q) * strength;
        float shade = 0.86 + 0.22 * cell_random(floor(q) + float(level) * 17.0);
        factor *= mix(1.0, shade * (1.0 - 0.5 * groove(q)), seen);
        p *= 8.0;
        strength *= 0.6;
    }
    return factor;
}

void main() {
    float rim_glow = cut_openings();

    vec3 n = normalize(view_normal + vec3(0.0, 0.0, 1e-5));
    if (!gl_FrontFacing) n = -n;
    n = perturbed_normal(n);
    float distance_to_eye = length(view_position);
    vec3 to_eye = -view_position / max(distance_to_eye, 1e-4);
    vec3 key = normalize(vec3(0.35, 0.55, 0.75));
    vec3 albedo = paint(gl_Color.rgb);

    float grime = texture2D(texture2d_1, surface_coordinates() * 0.11).b;
    albedo *= mix(0.7, 1.05, grime) * panel_pattern();

    float diffuse = max(dot(n, key), 0.0);
    float head = max(dot(n, to_eye), 0.0) / (1.0 + 0.015 * distance_to_eye * distance_to_eye);
    float hemisphere = 0.5 + 0.5 * n.y;
    float specular = pow(max(dot(reflect(-key, n), to_eye), 0.0), 28.0);
    float rim = pow(1.0 - max(dot(n, to_eye), 0.0), 3.0);
    vec3 colour = albedo * (0.08 + 0.12 * hemisphere + 0.42 * diffuse + 0.3 * head) + vec3(0.22) * specular
                + albedo * rim * 0.25;

    if (Mode == 1) {
        vec3 sheen = 0.5 + 0.5 * cos(vec3(0.0, 2.1, 4.2) + rim * 4.0 + fttime * 0.2);
        colour += sheen * rim * 0.7 + albedo * specular;
    } else if (Mode == 2) {
        colour = albedo * (1.1 + 0.3 * sin(fttime * 2.0)) + vec3(0.2, 0.4, 0.8) * rim;
    }

    float drive = clamp(DSP, 0.0, 2.0);
    colour += albedo * drive * 0.22;
    colour += vec3(1.0, 0.62, 0.3) * rim_glow * (0.35 + 0.5 * drive);

    float band_height = PositionY + (PosY - 0.5) * 14.0;
    float band = exp(-pow(world_position.y - band_height, 2.0) * 0.08);
    colour += vec3(1.0, 0.55 + 0.3 * PP, 0.25) * band * 0.18;

    gl_FragData[0] = vec4(colour, 1.0);
    gl_FragData[1] = vec4(n * 0.5 + 0.5, clamp(distance_to_eye / far_plane, 0.0, 1.0));
}
