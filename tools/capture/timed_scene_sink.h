// timed_scene_sink: passes every call of the choreography on to another sink and
// adds up the wall and CPU time spent inside those calls, which is the frame's
// submission (GL calls, tube generation) as opposed to the choreography's own
// arithmetic around them.
#pragma once

#include "parts/scene_sink.h"
#include "tools/capture/stage_clock.h"

class timed_scene_sink : public scene_sink {
public:
    void forward_to(scene_sink& inner) { inner_ = &inner; }
    stage_time spent;   // in all calls since the last reset
    stage_time tubes;   // of that, in draw_tube (generation and submission)
    stage_time meshes;  // of that, in draw_mesh
    void reset() { spent = tubes = meshes = {}; }

    void viewport(int width, int height) override;
    void clear() override;
    void matrix_mode(matrix_stack stack) override;
    void active_texture(int unit) override;
    void load_identity() override;
    void push_matrix() override;
    void pop_matrix() override;
    void translate(double x, double y, double z) override;
    void rotate(double degrees, double x, double y, double z) override;
    void scale(double x, double y, double z) override;
    void perspective(double fov_degrees, double aspect, double near_plane, double far_plane) override;
    void look_at(const view_pose& pose) override;
    void projective_matrix(const view_pose& pose, double fov_degrees, double aspect, double near_plane,
                           double far_plane) override;
    void reset_flat_state() override;
    void disable_culling() override;
    void color(float r, float g, float b) override;
    void use_program(int program_slot) override;
    void use_fixed_function() override;
    void uniform_1f(int program_slot, const char* name, float value) override;
    void uniform_1i(int program_slot, const char* name, int value) override;
    void bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name, int texture_slot) override;
    void draw_mesh(scene_mesh mesh, int object) override;
    void draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) override;
    void end_frame_points() override;

private:
    scene_sink* inner_ = nullptr;
};
