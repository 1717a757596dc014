// Simple blur: a 3 x 3 box over texture2d_1, one texel apart at 1280 x 720.
#version 120

uniform sampler2D texture2d_1;

void main() {
    vec2 uv = gl_TexCoord[0].st;
    vec2 texel = vec2(1.0 / 1280.0, 1.0 / 720.0);
    vec3 sum = vec3(0.0);
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            sum += texture2D(texture2d_1, uv + vec2(float(x), float(y)) * texel).rgb;
    gl_FragColor = vec4(sum / 9.0, 1.0);
}
