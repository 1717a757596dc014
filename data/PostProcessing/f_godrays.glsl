// God rays: a radial blur of the bright parts of texture2d_1 toward a light placed
// above the picture's centre, added back onto the picture.
#version 120

uniform sampler2D texture2d_1;

const int sample_count = 32;
const vec2 light_position = vec2(0.5, 0.85);
const float decay = 0.955;

void main() {
    vec2 uv = gl_TexCoord[0].st;
    vec3 base = texture2D(texture2d_1, uv).rgb;
    vec2 step_uv = (uv - light_position) / float(sample_count) * 0.8;
    vec2 p = uv;
    float weight = 1.0;
    vec3 rays = vec3(0.0);
    for (int i = 0; i < sample_count; ++i) {
        p -= step_uv;
        vec3 s = texture2D(texture2d_1, p).rgb;
        rays += max(s - 0.5, 0.0) * weight;
        weight *= decay;
    }
    gl_FragColor = vec4(base + rays * (0.6 / float(sample_count)), 1.0);
}
