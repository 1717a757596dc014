// Velocity pass, fragment stage: the screen-space motion since the previous frame,
// scaled and biased into [0, 1] (0.5 means still) in red and green.
#version 120

varying vec4 current_clip;
varying vec4 previous_clip;

void main() {
    vec2 current = current_clip.xy / current_clip.w;
    vec2 previous = previous_clip.xy / previous_clip.w;
    vec2 motion = clamp((current - previous) * 4.0, -1.0, 1.0);
    gl_FragColor = vec4(motion * 0.5 + 0.5, 0.5, 1.0);
}
