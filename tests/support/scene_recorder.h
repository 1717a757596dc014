// scene_recorder: a scene_sink that keeps the GL matrix stacks in software and
// records every mesh and tube draw with its object transform (the texture matrix
// of unit 0), colour and the uniform values in force, so a frame of the
// choreography can be inspected without a GL context.
#pragma once

#include "parts/scene_sink.h"

#include <array>
#include <map>
#include <string>
#include <vector>

using matrix4 = std::array<double, 16>;  // column-major, as GL keeps it

matrix4 identity_matrix();
matrix4 multiply(const matrix4& a, const matrix4& b);

struct recorded_draw {
    bool is_tube = false;
    scene_mesh mesh = scene_mesh::quorrel;
    int object = -1;
    matrix4 object_transform{};
    matrix4 modelview{};
    std::array<float, 3> colour{};
    std::map<std::string, float> uniforms_f;
    std::map<std::string, int> uniforms_i;
    bool program_current = false;
    // Tubes only.
    int sides = 0;
    int steps = 0;
    double t1 = 0.0;
    int keys = 0;
    vector3 first_key;
    std::vector<float> radii;
    long quads = 0;
};

class scene_recorder : public scene_sink {
public:
    scene_recorder();

    std::vector<recorded_draw> draws;
    int clears = 0;
    int viewport_width = 0;
    int viewport_height = 0;

    long tube_quads() const;
    std::vector<const recorded_draw*> meshes(scene_mesh mesh) const;
    std::vector<const recorded_draw*> tubes_with_sides(int sides) const;
    const matrix4& current(matrix_stack stack) const;

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
    void reset_flat_state() override {}
    void disable_culling() override {}
    void color(float r, float g, float b) override;
    void use_program(int program_slot) override;
    void use_fixed_function() override;
    void uniform_1f(int program_slot, const char* name, float value) override;
    void uniform_1i(int program_slot, const char* name, int value) override;
    void bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name, int texture_slot) override;
    void draw_mesh(scene_mesh mesh, int object) override;
    void draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) override;
    void end_frame_points() override {}

    std::map<std::string, int> samplers;  // sampler name -> texture slot

private:
    std::vector<matrix4>& stack();
    void multiply_current(const matrix4& m);
    recorded_draw snapshot() const;

    matrix_stack mode_ = matrix_stack::modelview;
    int unit_ = 0;
    std::vector<matrix4> modelview_{identity_matrix()};
    std::vector<matrix4> projection_{identity_matrix()};
    std::array<std::vector<matrix4>, 8> texture_;
    std::array<float, 3> colour_{1, 1, 1};
    bool program_current_ = false;
    std::map<std::string, float> uniforms_f_;
    std::map<std::string, int> uniforms_i_;
};
