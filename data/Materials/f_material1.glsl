// Scene material, fragment stage. Lights the surface with its normal perturbed by
// the noise normal map (texture2d_1, sampled along world axes) and the current
// colour as albedo, then adds the show's effects:
// - "Holes" 1 cuts round openings where the tiled blob texture (texture2d_blob) is
//   bright; their size breathes with "ttime". "NoBreak" 1 keeps the surface whole.
// - "Mode": 0 plain, 1 the figure's sheen (iridescent rim), 2 emissive (the blue piece).
// - "DSP" is the music drive: an emission pulse on the beat's low end.
// - "PosY"/"PP" (the piano note's pitch) and "PositionY" (the camera's height) place
//   a band of warm light along the height of the scene.
// - Fog toward black with distance, since the far plane is 30.
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

void cut_openings() {
    if (Holes < 0.5 || NoBreak > 0.5) return;
    vec2 cell = vec2(world_position.x + world_position.z, world_position.y * 0.6) * 0.45;
    cell.y += ttime * 0.04;
    float blob = texture2D(texture2d_blob, fract(cell)).r;
    float opening = 0.78 - 0.08 * sin(ttime * 0.35 + world_position.y * 0.07);
    if (blob > opening) discard;
}

vec3 perturbed_normal(vec3 n) {
    vec3 bump = texture2D(texture2d_1, world_position.xy * 0.21 + world_position.zz * 0.13).rgb * 2.0 - 1.0;
    vec3 tangent = normalize(abs(n.y) < 0.9 ? cross(n, vec3(0.0, 1.0, 0.0)) : cross(n, vec3(1.0, 0.0, 0.0)));
    vec3 bitangent = cross(n, tangent);
    return normalize(n + (tangent * bump.x + bitangent * bump.y) * 0.35);
}

void main() {
    cut_openings();

    vec3 n = normalize(view_normal + vec3(0.0, 0.0, 1e-5));
    if (!gl_FrontFacing) n = -n;
    n = perturbed_normal(n);
    vec3 to_eye = normalize(-view_position);
    vec3 light = normalize(vec3(0.35, 0.55, 0.75));
    vec3 albedo = gl_Color.rgb;

    float diffuse = max(dot(n, light), 0.0);
    float hemisphere = 0.5 + 0.5 * n.y;
    float specular = pow(max(dot(reflect(-light, n), to_eye), 0.0), 24.0);
    vec3 colour = albedo * (0.18 + 0.22 * hemisphere + 0.75 * diffuse) + vec3(0.25) * specular;

    float rim = pow(1.0 - max(dot(n, to_eye), 0.0), 3.0);
    if (Mode == 1) {
        vec3 sheen = 0.5 + 0.5 * cos(vec3(0.0, 2.1, 4.2) + rim * 4.0 + fttime * 0.2);
        colour += sheen * rim * 0.8 + albedo * specular;
    } else if (Mode == 2) {
        colour = albedo * (1.3 + 0.4 * sin(fttime * 2.0)) + vec3(0.2, 0.4, 0.8) * rim;
    }

    colour += albedo * clamp(DSP, 0.0, 2.0) * 0.45;

    float band_height = PositionY + (PosY - 0.5) * 14.0;
    float band = exp(-pow(world_position.y - band_height, 2.0) * 0.08);
    colour += vec3(1.0, 0.55 + 0.3 * PP, 0.25) * band * 0.22;

    float distance_to_eye = length(view_position);
    colour *= 1.0 - smoothstep(7.0, far_plane - 1.0, distance_to_eye);

    gl_FragData[0] = vec4(colour, 1.0);
    gl_FragData[1] = vec4(n * 0.5 + 0.5, clamp(distance_to_eye / far_plane, 0.0, 1.0));
}
