// gl_scene_sink: the scene_sink that submits the choreography's frame to GL. Matrix
// and colour calls go straight to the fixed-function pipeline; programs, uniforms
// and samplers go through the part's ShaderProgramTable with texture slots looked
// up in the RenderContext; meshes and tubes are drawn with the render helpers.
#pragma once

#include "geometry/tube.h"
#include "parts/scene_sink.h"

#include <vector>

class objmesh;
class ShaderProgramTable;
struct RenderContext;

// The meshes the scene draws, owned by the part.
struct scene_meshes {
    const objmesh* quorrel = nullptr;
    const objmesh* transf3 = nullptr;
    const objmesh* wings = nullptr;
    const objmesh* credits = nullptr;
};

class gl_scene_sink : public scene_sink {
public:
    gl_scene_sink(RenderContext& context, const ShaderProgramTable& shaders, const scene_meshes& meshes);

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

    // Quads submitted by draw_tube since construction.
    long tube_quads() const { return tube_quads_; }

private:
    const objmesh* mesh_of(scene_mesh mesh) const;

    RenderContext& context_;
    const ShaderProgramTable& shaders_;
    scene_meshes meshes_;
    int program_ = 0;  // the slot last made current, for the projective matrix
    std::vector<tube_vertex> tube_buffer_;  // grows to the largest tube, then reused
    long tube_quads_ = 0;
};
