// Velocity pass, vertex stage: the object transform of this frame is the texture
// matrix of unit 0 and the previous frame's is the texture matrix of unit 1; both
// are projected with the camera so the fragment stage can take their difference.
#version 120

varying vec4 current_clip;
varying vec4 previous_clip;

void main() {
    current_clip = gl_ModelViewProjectionMatrix * (gl_TextureMatrix[0] * gl_Vertex);
    previous_clip = gl_ModelViewProjectionMatrix * (gl_TextureMatrix[1] * gl_Vertex);
    gl_Position = current_clip;
}
