// relay_scene_sink: a scene_sink that passes every call on to another sink and
// brackets each one with before() and after(), naming what kind of call it is. A
// watcher of the choreography's calls (a timer, a counter) derives from it and
// writes only those two.
#pragma once

#include "parts/scene_sink.h"

#include <utility>

enum class sink_call { state, mesh, tube };

class relay_scene_sink : public scene_sink {
public:
    void forward_to(scene_sink& inner) { inner_ = &inner; }

    void viewport(int width, int height) override { relay(sink_call::state, &scene_sink::viewport, width, height); }
    void clear() override { relay(sink_call::state, &scene_sink::clear); }
    void matrix_mode(matrix_stack stack) override { relay(sink_call::state, &scene_sink::matrix_mode, stack); }
    void active_texture(int unit) override { relay(sink_call::state, &scene_sink::active_texture, unit); }
    void load_identity() override { relay(sink_call::state, &scene_sink::load_identity); }
    void push_matrix() override { relay(sink_call::state, &scene_sink::push_matrix); }
    void pop_matrix() override { relay(sink_call::state, &scene_sink::pop_matrix); }
    void translate(double x, double y, double z) override { relay(sink_call::state, &scene_sink::translate, x, y, z); }
    void rotate(double degrees, double x, double y, double z) override {
        relay(sink_call::state, &scene_sink::rotate, degrees, x, y, z);
    }
    void scale(double x, double y, double z) override { relay(sink_call::state, &scene_sink::scale, x, y, z); }
    void perspective(double fov_degrees, double aspect, double near_plane, double far_plane) override {
        relay(sink_call::state, &scene_sink::perspective, fov_degrees, aspect, near_plane, far_plane);
    }
    void look_at(const view_pose& pose) override { relay(sink_call::state, &scene_sink::look_at, pose); }
    void projective_matrix(const view_pose& pose, double fov_degrees, double aspect, double near_plane,
                           double far_plane) override {
        relay(sink_call::state, &scene_sink::projective_matrix, pose, fov_degrees, aspect, near_plane, far_plane);
    }
    void reset_flat_state() override { relay(sink_call::state, &scene_sink::reset_flat_state); }
    void disable_culling() override { relay(sink_call::state, &scene_sink::disable_culling); }
    void color(float r, float g, float b) override { relay(sink_call::state, &scene_sink::color, r, g, b); }
    void use_program(int program_slot) override { relay(sink_call::state, &scene_sink::use_program, program_slot); }
    void use_fixed_function() override { relay(sink_call::state, &scene_sink::use_fixed_function); }
    void uniform_1f(int program_slot, const char* name, float value) override {
        relay(sink_call::state, &scene_sink::uniform_1f, program_slot, name, value);
    }
    void uniform_1i(int program_slot, const char* name, int value) override {
        relay(sink_call::state, &scene_sink::uniform_1i, program_slot, name, value);
    }
    void bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name, int texture_slot) override {
        relay(sink_call::state, &scene_sink::bind_sampler, kind, program_slot, unit, name, texture_slot);
    }
    void draw_mesh(scene_mesh mesh, int object) override {
        relay(sink_call::mesh, &scene_sink::draw_mesh, mesh, object);
    }
    void draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) override {
        relay(sink_call::tube, &scene_sink::draw_tube, path, up, t0, t1, steps, sides);
    }
    void end_frame_points() override { relay(sink_call::state, &scene_sink::end_frame_points); }

protected:
    virtual void before(sink_call call) = 0;
    virtual void after(sink_call call) = 0;

private:
    template <class Method, class... Args>
    void relay(sink_call call, Method method, Args&&... args) {
        before(call);
        (inner_->*method)(std::forward<Args>(args)...);
        after(call);
    }

    scene_sink* inner_ = nullptr;
};
