// Highlight pass at quarter size: keeps what is brighter than a threshold, with a
// soft knee so that highlights fade into the bloom instead of switching on, and
// blurs it with a 5 x 5 Gaussian (25 taps, separable-equivalent weights 1 4 6 4 1)
// over the full-size scene colour in texture2d_1 (encoded as sqrt(c / 4)). The
// result, encoded the same way, feeds the final pass's bloom.
#version 120

uniform sampler2D texture2d_1;

const float threshold = 1.0;  // linear scene value where the bloom starts in earnest
const float knee = 0.5;       // half width of the soft knee, as a share of the threshold
const float spread = 0.006;   // tap spacing in texture space, about one and a half quarter-size texels

vec3 bright_part(vec2 uv) {
    vec3 e = texture2D(texture2d_1, uv).rgb;
    vec3 c = e * e * 4.0;
    float brightness = max(c.r, max(c.g, c.b));
    float soft = threshold * knee;
    float curve = clamp(brightness - threshold + soft, 0.0, 2.0 * soft);
    curve = curve * curve / (4.0 * soft + 1e-4);
    return c * max(curve, brightness - threshold) / max(brightness, 1e-4);
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
    gl_FragColor = vec4(sqrt(clamp(sum / 256.0 * 0.25, 0.0, 1.0)), 1.0);
}
