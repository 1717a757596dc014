// Scene material, vertex stage. Contract with the program:
// - the texture matrix of unit 0 is the object's transform (object -> world);
// - the model-view matrix holds the camera only, the projection the lens;
// - the texture matrix of unit 2 is the projective matrix (world -> [0, 1] screen).
// It passes the world position and normal, the view-space position and normal,
// the projective coordinates and the current colour on, and, since they are the
// same for a whole draw, works out here rather than per fragment the section's
// palette (from "fttime", the rim swelling with "DSP") and the material that the
// current colour names.
#version 120

uniform float fttime;
uniform float DSP;

varying vec3 world_position;
varying vec3 world_normal;
varying vec3 view_position;
varying vec3 view_normal;
varying vec4 projected;
varying vec3 sky_colour;
varying vec3 ground_colour;
varying vec3 key_colour;
varying vec3 rim_colour;
varying vec3 base_albedo;
varying vec3 surface;  // metal, roughness, clear coat

// --- The section's palette ------------------------------------------------------
// sky: the upper hemisphere and the reflections; ground: the lower; key and rim:
// the two lights. One entry per section of the show, starting at `section_starts`
// (show time), blended from the previous one over two seconds; the same times and
// hues as the haze of the combine pass.
const float section_starts[9] = float[9](0.0, 40.5, 85.0, 103.0, 118.0, 168.0, 185.0, 229.0, 258.0);
const vec3 skies[9] = vec3[9](
    vec3(0.06, 0.20, 0.42),   // the shaft: azure with an amber key
    vec3(0.36, 0.19, 0.07),   // dusk: amber gold with a teal rim
    vec3(0.07, 0.11, 0.32),   // between the wings: indigo with a coral rim
    vec3(0.26, 0.07, 0.14),   // the upper mesh: rose copper with a cyan rim
    vec3(0.22, 0.08, 0.34),   // the figures: violet with a mint rim
    vec3(0.42, 0.10, 0.05),   // the fall: crimson with a blue rim
    vec3(0.05, 0.09, 0.38),   // the replay: ultramarine with a magenta rim
    vec3(0.03, 0.26, 0.28),   // the descent: teal with an orange key
    vec3(0.04, 0.05, 0.14));  // the credits: night blue
const vec3 grounds[9] = vec3[9](
    vec3(0.035, 0.025, 0.02), vec3(0.02, 0.03, 0.05), vec3(0.02, 0.02, 0.035), vec3(0.02, 0.03, 0.04), vec3(0.035, 0.02, 0.03),
    vec3(0.02, 0.03, 0.05), vec3(0.03, 0.02, 0.02), vec3(0.03, 0.02, 0.015), vec3(0.01, 0.01, 0.02));
const vec3 keys[9] = vec3[9](
    vec3(1.0, 0.70, 0.42), vec3(1.0, 0.82, 0.58), vec3(0.86, 0.90, 1.0), vec3(1.0, 0.84, 0.68), vec3(1.0, 0.66, 0.46),
    vec3(1.0, 0.86, 0.62), vec3(1.0, 0.78, 0.42), vec3(1.0, 0.62, 0.34), vec3(1.0, 0.76, 0.52));
const vec3 rims[9] = vec3[9](
    vec3(0.30, 0.70, 1.00), vec3(0.18, 0.55, 0.95), vec3(1.0, 0.42, 0.28), vec3(0.25, 0.80, 1.00), vec3(0.30, 0.95, 0.82),
    vec3(0.22, 0.68, 1.00), vec3(0.85, 0.32, 1.00), vec3(0.60, 0.95, 1.00), vec3(0.50, 0.60, 1.00));

void choose_palette(float t) {
    int i = 0;
    for (int k = 1; k < 9; ++k)
        if (t >= section_starts[k]) i = k;
    int before = i > 0 ? i - 1 : 0;
    float w = smoothstep(section_starts[i], section_starts[i] + 2.0, t);
    sky_colour = mix(skies[before], skies[i], w);
    ground_colour = mix(grounds[before], grounds[i], w);
    key_colour = mix(keys[before], keys[i], w);
    // The rim swells a little with the music.
    rim_colour = mix(rims[before], rims[i], w) * (1.0 + 0.35 * clamp(DSP, 0.0, 2.0));
}

// --- Materials -------------------------------------------------------------------
// Yellow is gold, red a lacquer under a clear coat, cyan and green enamels, white and
// pale grey a pale stone, mid grey titanium, near-black a dark satin graphite.
// Sets base_albedo and surface (metal, roughness, clear coat) for colour c.
void choose_material(vec3 c) {
    float luma = dot(c, vec3(0.2126, 0.7152, 0.0722));
    float yellow = smoothstep(0.45, 0.85, min(c.r, c.g) - c.b);
    float red = smoothstep(0.45, 0.8, c.r - max(c.g, c.b));
    float cyan = smoothstep(0.45, 0.8, min(c.g, c.b) - c.r);
    float green = smoothstep(0.3, 0.5, c.g - max(c.r, c.b)) * (1.0 - cyan);
    float saturated = max(max(yellow, red), max(cyan, green));
    float dark = (1.0 - smoothstep(0.18, 0.32, luma)) * (1.0 - saturated);
    float pale = smoothstep(0.55, 0.7, luma) * (1.0 - saturated);
    float grey = max(1.0 - saturated - dark - pale, 0.0);  // mid grey: titanium

    // Neutral colours keep a trace of their hue; dark ones are graphite.
    base_albedo = dark * (c * 0.35 + 0.018) + pale * mix(vec3(0.62, 0.58, 0.52), c * 0.7, 0.4)
             + grey * mix(vec3(0.58, 0.57, 0.56), c, 0.6);
    base_albedo += yellow * vec3(1.0, 0.70, 0.28) + red * vec3(0.50, 0.025, 0.015)
              + cyan * vec3(0.015, 0.28, 0.36) + green * vec3(0.10, 0.36, 0.16);
    surface.x = yellow + grey;
    surface.y = dark * 0.34 + pale * 0.62 + grey * 0.30 + yellow * 0.26 + red * 0.42 + cyan * 0.30 + green * 0.34;
    surface.z = red + cyan * 0.7 + dark * 0.5 + green * 0.5;
}

void main() {
    vec4 world = gl_TextureMatrix[0] * gl_Vertex;
    world_position = world.xyz;
    world_normal = mat3(gl_TextureMatrix[0][0].xyz, gl_TextureMatrix[0][1].xyz,
                        gl_TextureMatrix[0][2].xyz) * gl_Normal;
    vec4 view = gl_ModelViewMatrix * world;
    view_position = view.xyz;
    view_normal = mat3(gl_ModelViewMatrix[0].xyz, gl_ModelViewMatrix[1].xyz,
                       gl_ModelViewMatrix[2].xyz) * world_normal;
    projected = gl_TextureMatrix[2] * world;
    choose_palette(fttime);
    choose_material(gl_Color.rgb);
    gl_FrontColor = gl_Color;
    gl_BackColor = gl_Color;
    gl_Position = gl_ProjectionMatrix * view;
}
