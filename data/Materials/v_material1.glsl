// Scene material, vertex stage. Contract with the program:
// - the texture matrix of unit 0 is the object's transform (object -> world);
// - the model-view matrix holds the camera only, the projection the lens;
// - the texture matrix of unit 2 is the projective matrix (world -> [0, 1] screen).
// It passes the world position and normal, the view-space position and normal,
// the projective coordinates and the current colour (the albedo) on.
#version 120

varying vec3 world_position;
varying vec3 world_normal;
varying vec3 view_position;
varying vec3 view_normal;
varying vec4 projected;

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
    gl_FrontColor = gl_Color;
    gl_BackColor = gl_Color;
    gl_Position = gl_ProjectionMatrix * view;
}
