// The timed sink: each call times the call it passes on.
#include "tools/capture/timed_scene_sink.h"

namespace {

// Adds the time from its making to its end to `total`.
class call_timer {
public:
    explicit call_timer(stage_time& total) : total_(total), start_(stage_now()) {}
    ~call_timer() { total_ += stage_since(start_); }
    call_timer(const call_timer&) = delete;
    call_timer& operator=(const call_timer&) = delete;

private:
    stage_time& total_;
    stage_time start_;
};

}  // namespace

void timed_scene_sink::viewport(int width, int height) {
    call_timer timer(spent);
    inner_->viewport(width, height);
}

void timed_scene_sink::clear() {
    call_timer timer(spent);
    inner_->clear();
}

void timed_scene_sink::matrix_mode(matrix_stack stack) {
    call_timer timer(spent);
    inner_->matrix_mode(stack);
}

void timed_scene_sink::active_texture(int unit) {
    call_timer timer(spent);
    inner_->active_texture(unit);
}

void timed_scene_sink::load_identity() {
    call_timer timer(spent);
    inner_->load_identity();
}

void timed_scene_sink::push_matrix() {
    call_timer timer(spent);
    inner_->push_matrix();
}

void timed_scene_sink::pop_matrix() {
    call_timer timer(spent);
    inner_->pop_matrix();
}

void timed_scene_sink::translate(double x, double y, double z) {
    call_timer timer(spent);
    inner_->translate(x, y, z);
}

void timed_scene_sink::rotate(double degrees, double x, double y, double z) {
    call_timer timer(spent);
    inner_->rotate(degrees, x, y, z);
}

void timed_scene_sink::scale(double x, double y, double z) {
    call_timer timer(spent);
    inner_->scale(x, y, z);
}

void timed_scene_sink::perspective(double fov_degrees, double aspect, double near_plane, double far_plane) {
    call_timer timer(spent);
    inner_->perspective(fov_degrees, aspect, near_plane, far_plane);
}

void timed_scene_sink::look_at(const view_pose& pose) {
    call_timer timer(spent);
    inner_->look_at(pose);
}

void timed_scene_sink::projective_matrix(const view_pose& pose, double fov_degrees, double aspect, double near_plane,
                                         double far_plane) {
    call_timer timer(spent);
    inner_->projective_matrix(pose, fov_degrees, aspect, near_plane, far_plane);
}

void timed_scene_sink::reset_flat_state() {
    call_timer timer(spent);
    inner_->reset_flat_state();
}

void timed_scene_sink::disable_culling() {
    call_timer timer(spent);
    inner_->disable_culling();
}

void timed_scene_sink::color(float r, float g, float b) {
    call_timer timer(spent);
    inner_->color(r, g, b);
}

void timed_scene_sink::use_program(int program_slot) {
    call_timer timer(spent);
    inner_->use_program(program_slot);
}

void timed_scene_sink::use_fixed_function() {
    call_timer timer(spent);
    inner_->use_fixed_function();
}

void timed_scene_sink::uniform_1f(int program_slot, const char* name, float value) {
    call_timer timer(spent);
    inner_->uniform_1f(program_slot, name, value);
}

void timed_scene_sink::uniform_1i(int program_slot, const char* name, int value) {
    call_timer timer(spent);
    inner_->uniform_1i(program_slot, name, value);
}

void timed_scene_sink::bind_sampler(sampler_kind kind, int program_slot, int unit, const char* name,
                                    int texture_slot) {
    call_timer timer(spent);
    inner_->bind_sampler(kind, program_slot, unit, name, texture_slot);
}

void timed_scene_sink::draw_mesh(scene_mesh mesh, int object) {
    call_timer timer(spent);
    call_timer mesh_timer(meshes);
    inner_->draw_mesh(mesh, object);
}

void timed_scene_sink::draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) {
    call_timer timer(spent);
    call_timer tube_timer(tubes);
    inner_->draw_tube(path, up, t0, t1, steps, sides);
}

void timed_scene_sink::end_frame_points() {
    call_timer timer(spent);
    inner_->end_frame_points();
}
