// Highlight pass at quarter size: keeps what is brighter than a threshold and blurs
// it with a 5 x 5 Gaussian (25 taps, separable-equivalent weights 1 4 6 4 1) over
// the full-size scene colour in texture2d_1. The result feeds the final pass's bloom.
#version 120

uniform sampler2D texture2d_1;

const float threshold = 0.7;
const float spread = 0.0045;  // tap spacing in texture space, about one quarter-size texel

vec3 bright_part(vec2 uv) {
    vec3 c = texture2D(texture2d_1, uv).rgb;
    float luminance = dot(c, vec3(0.2126, 0.7152, 0.0722));
    return c * smoothstep(threshold, threshold + 0.25, luminance);
}

void main() {
    vec2 uv = gl_TexCoord[0].st;
    float weights[5];
    weights[0] = 1.0; weights[1] = 4.0; weights[2] = 6.0; weights[3] = 4.0; weights[4] = 1.0;
    vec3 sum = vec3(0.0);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            vec2 offset = vec2(float(x - 2), float(y - 2)) * spread;
            sum += bright_part(uv + offset) * weights[x] * weights[y];
        }
    }
    gl_FragColor = vec4(sum / 256.0, 1.0);
}
