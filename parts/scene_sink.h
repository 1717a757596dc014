// scene_sink: the small layer through which the choreography emits a frame. Its
// calls mirror the fixed-function GL calls the scene pass makes (matrix stacks,
// colour, uniforms by name, mesh and tube draws). One implementation submits to
// GL; another records the calls so that tests can inspect a frame without a GL
// context. The choreography's arithmetic lives only in the choreography.
#pragma once

#include "geometry/vector3.h"

class spline;

enum class matrix_stack { modelview, projection, texture };
enum class scene_mesh { quorrel, transf3, wings, credits };
enum class sampler_kind { texture_2d, cube_map };

class scene_sink {
public:
    virtual ~scene_sink() = default;

    virtual void viewport(int width, int height) = 0;
    virtual void clear() = 0;  // colour and depth, with the clear colour already set

    virtual void matrix_mode(matrix_stack stack) = 0;
    virtual void active_texture(int unit) = 0;
    virtual void load_identity() = 0;
    virtual void push_matrix() = 0;
    virtual void pop_matrix() = 0;
    virtual void translate(double x, double y, double z) = 0;
    virtual void rotate(double degrees, double x, double y, double z) = 0;
    virtual void scale(double x, double y, double z) = 0;
    virtual void perspective(double fov_degrees, double aspect, double near_plane, double far_plane) = 0;
    virtual void look_at(const view_pose& pose) = 0;
    // The projective texture matrix on unit 2; leaves unit 0 active and the
    // texture matrix mode selected.
    virtual void projective_matrix(const view_pose& pose, double fov_degrees, double aspect, double near_plane,
                                   double far_plane) = 0;

    virtual void reset_flat_state() = 0;
    virtual void disable_culling() = 0;
    virtual void color(float r, float g, float b) = 0;

    virtual void use_program(int program_slot) = 0;
    virtual void use_fixed_function() = 0;
    virtual void uniform_1f(int program_slot, const char* name, float value) = 0;
    virtual void uniform_1i(int program_slot, const char* name, int value) = 0;
    // Binds texture slot `texture_slot` on `unit` and points sampler `name` at it;
    // the unit stays active.
    virtual void bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name, int texture_slot) = 0;

    // object < 0 draws every object of the mesh.
    virtual void draw_mesh(scene_mesh mesh, int object) = 0;
    virtual void draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) = 0;

    // The end-of-frame point state: point smoothing on, an empty batch of points,
    // point sprites off.
    virtual void end_frame_points() = 0;
};
