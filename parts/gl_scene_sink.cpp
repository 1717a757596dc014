// The GL side of the scene sink: each call is the GL call it mirrors. Tubes are
// generated into a buffer the sink keeps, so steady frames allocate nothing.
#include "parts/gl_scene_sink.h"

#include "geometry/objmesh.h"
#include "render/camera_matrix.h"
#include "render/mesh_draw.h"
#include "render/render_context.h"
#include "render/screen_passes.h"
#include "render/shader_programs.h"
#include "render/tube_draw.h"

#include <GL/glew.h>
#include <GL/glu.h>

gl_scene_sink::gl_scene_sink(RenderContext& context, const ShaderProgramTable& shaders, const scene_meshes& meshes)
    : context_(context), shaders_(shaders), meshes_(meshes) {}

void gl_scene_sink::viewport(int width, int height) { glViewport(0, 0, width, height); }

void gl_scene_sink::clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void gl_scene_sink::matrix_mode(matrix_stack stack) {
    switch (stack) {
        case matrix_stack::modelview: glMatrixMode(GL_MODELVIEW); break;
        case matrix_stack::projection: glMatrixMode(GL_PROJECTION); break;
        case matrix_stack::texture: glMatrixMode(GL_TEXTURE); break;
    }
}

void gl_scene_sink::active_texture(int unit) { glActiveTexture(GL_TEXTURE0 + unit); }
void gl_scene_sink::load_identity() { glLoadIdentity(); }
void gl_scene_sink::push_matrix() { glPushMatrix(); }
void gl_scene_sink::pop_matrix() { glPopMatrix(); }
void gl_scene_sink::translate(double x, double y, double z) { glTranslated(x, y, z); }
void gl_scene_sink::rotate(double degrees, double x, double y, double z) { glRotated(degrees, x, y, z); }
void gl_scene_sink::scale(double x, double y, double z) { glScaled(x, y, z); }

void gl_scene_sink::perspective(double fov_degrees, double aspect, double near_plane, double far_plane) {
    gluPerspective(fov_degrees, aspect, near_plane, far_plane);
}

void gl_scene_sink::look_at(const view_pose& pose) { multiply_look_at(pose); }

void gl_scene_sink::projective_matrix(const view_pose& pose, double fov_degrees, double aspect, double near_plane,
                                      double far_plane) {
    shaders_.load_projective_texture_matrix(program_, "ProjectionMatrix", pose, fov_degrees, aspect, near_plane,
                                            far_plane);
}

void gl_scene_sink::reset_flat_state() { ::reset_flat_state(); }
void gl_scene_sink::disable_culling() { glDisable(GL_CULL_FACE); }
void gl_scene_sink::color(float r, float g, float b) { glColor3f(r, g, b); }

void gl_scene_sink::use_program(int program_slot) {
    program_ = program_slot;
    shaders_.use_program(program_slot);
}

void gl_scene_sink::use_fixed_function() { ShaderProgramTable::use_fixed_function(); }

void gl_scene_sink::uniform_1f(int program_slot, const char* name, float value) {
    shaders_.set_uniform_1f(program_slot, name, value);
}

void gl_scene_sink::uniform_1i(int program_slot, const char* name, int value) {
    shaders_.set_uniform_1i(program_slot, name, value);
}

void gl_scene_sink::bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name, int texture_slot) {
    const GLenum target = kind == sampler_kind::cube_map ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    shaders_.bind_sampler(target, program_slot, unit, name, context_.texture_of_slot(texture_slot));
}

const objmesh* gl_scene_sink::mesh_of(scene_mesh mesh) const {
    switch (mesh) {
        case scene_mesh::quorrel: return meshes_.quorrel;
        case scene_mesh::transf3: return meshes_.transf3;
        case scene_mesh::wings: return meshes_.wings;
        case scene_mesh::credits: return meshes_.credits;
    }
    return nullptr;
}

void gl_scene_sink::draw_mesh(scene_mesh mesh, int object) {
    if (const objmesh* m = mesh_of(mesh)) draw_mesh_object(*m, object);
}

void gl_scene_sink::draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) {
    const int32_t quads = generate_tube(path, up, t0, t1, steps, sides, tube_buffer_);
    submit_tube_quads(tube_buffer_.data(), quads);
    tube_quads_ += quads;
}

void gl_scene_sink::end_frame_points() {
    glEnable(GL_POINT_SMOOTH);
    glBegin(GL_POINTS);
    glEnd();
    glDisable(GL_POINT_SPRITE);
}
