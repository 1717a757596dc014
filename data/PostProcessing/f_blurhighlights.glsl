// Highlight pass at quarter size: keeps what is brighter than a threshold, with a
// soft knee so that highlights fade into the bloom instead of switching on, and
// blurs it with a wide 3 x 3 tent (9 taps, weights 1 2 1 each way, two texels
// apart) over the full-size scene colour in texture2d_1 (encoded as sqrt(c / 4)). The
// result, encoded the same way, feeds the final pass's bloom.
#version 120

uniform sampler2D texture2d_1;

const float threshold = 1.0;  // linear scene value where the bloom starts in earnest
const float knee = 0.5;       // half width of the soft knee, as a share of the threshold
const float spread = 0.006;   // tap spacing in texture space, about two quarter-size texels at 1280 x 720

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
    vec3 sum = vec3(0.0);
    for (int y = -1; y <= 1; ++y) {
        for (int x = -1; x <= 1; ++x) {
            float weight = (2.0 - abs(float(x))) * (2.0 - abs(float(y)));
            sum += bright_part(uv + vec2(float(x), float(y)) * spread) * weight;
        }
    }
    gl_FragColor = vec4(sqrt(clamp(sum / 16.0 * 0.25, 0.0, 1.0)), 1.0);
}
