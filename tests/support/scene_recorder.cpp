// The recording scene sink: software matrix stacks with GL's semantics (each
// operation multiplies the current matrix on the right) and a log of draws.
#include "tests/support/scene_recorder.h"

#include "geometry/spline.h"
#include "geometry/tube.h"

#include <cmath>

matrix4 identity_matrix() {
    matrix4 m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

matrix4 multiply(const matrix4& a, const matrix4& b) {
    matrix4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    return r;
}

namespace {

matrix4 translation(double x, double y, double z) {
    matrix4 m = identity_matrix();
    m[12] = x, m[13] = y, m[14] = z;
    return m;
}

matrix4 scaling(double x, double y, double z) {
    matrix4 m = identity_matrix();
    m[0] = x, m[5] = y, m[10] = z;
    return m;
}

matrix4 rotation(double degrees, double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0) return identity_matrix();
    x /= len, y /= len, z /= len;
    const double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    matrix4 m = identity_matrix();
    m[0] = x * x * t + c, m[4] = x * y * t - z * s, m[8] = x * z * t + y * s;
    m[1] = y * x * t + z * s, m[5] = y * y * t + c, m[9] = y * z * t - x * s;
    m[2] = x * z * t - y * s, m[6] = y * z * t + x * s, m[10] = z * z * t + c;
    return m;
}

matrix4 perspective_matrix(double fov_degrees, double aspect, double n, double f) {
    const double cot = 1.0 / std::tan(fov_degrees * M_PI / 360.0);
    matrix4 m{};
    m[0] = cot / aspect;
    m[5] = cot;
    m[10] = -(f + n) / (f - n);
    m[11] = -1.0;
    m[14] = -2.0 * f * n / (f - n);
    return m;
}

}  // namespace

scene_recorder::scene_recorder() {
    for (auto& s : texture_) s.push_back(identity_matrix());
}

std::vector<matrix4>& scene_recorder::stack() {
    switch (mode_) {
        case matrix_stack::modelview: return modelview_;
        case matrix_stack::projection: return projection_;
        case matrix_stack::texture: break;
    }
    return texture_[unit_];
}

const matrix4& scene_recorder::current(matrix_stack s) const {
    if (s == matrix_stack::modelview) return modelview_.back();
    if (s == matrix_stack::projection) return projection_.back();
    return texture_[unit_].back();
}

void scene_recorder::multiply_current(const matrix4& m) {
    matrix4& top = stack().back();
    top = multiply(top, m);
}

void scene_recorder::viewport(int width, int height) {
    viewport_width = width;
    viewport_height = height;
}

void scene_recorder::clear() { ++clears; }
void scene_recorder::matrix_mode(matrix_stack s) { mode_ = s; }
void scene_recorder::active_texture(int unit) { unit_ = unit; }
void scene_recorder::load_identity() { stack().back() = identity_matrix(); }
void scene_recorder::push_matrix() { stack().push_back(stack().back()); }

void scene_recorder::pop_matrix() {
    if (stack().size() > 1) stack().pop_back();  // GL reports underflow and changes nothing
}

void scene_recorder::translate(double x, double y, double z) { multiply_current(translation(x, y, z)); }
void scene_recorder::rotate(double d, double x, double y, double z) { multiply_current(rotation(d, x, y, z)); }
void scene_recorder::scale(double x, double y, double z) { multiply_current(scaling(x, y, z)); }

void scene_recorder::perspective(double fov, double aspect, double n, double f) {
    multiply_current(perspective_matrix(fov, aspect, n, f));
}

void scene_recorder::look_at(const view_pose& pose) {
    matrix4 m;
    look_at_matrix(pose, m.data());
    multiply_current(m);
}

void scene_recorder::projective_matrix(const view_pose& pose, double fov, double aspect, double n, double f) {
    mode_ = matrix_stack::texture;
    unit_ = 2;
    load_identity();
    translate(0.5, 0.5, 0.5);
    scale(0.5, 0.5, 0.5);
    perspective(fov, aspect, n, f);
    look_at(pose);
    unit_ = 0;
}

void scene_recorder::color(float r, float g, float b) { colour_ = {r, g, b}; }
void scene_recorder::use_program(int) { program_current_ = true; }
void scene_recorder::use_fixed_function() { program_current_ = false; }
void scene_recorder::uniform_1f(int, const char* name, float value) { uniforms_f_[name] = value; }
void scene_recorder::uniform_1i(int, const char* name, int value) { uniforms_i_[name] = value; }

void scene_recorder::bind_sampler(sampler_kind, int, int unit, const char* name, int texture_slot) {
    unit_ = unit;
    samplers[name] = texture_slot;
}

recorded_draw scene_recorder::snapshot() const {
    recorded_draw d;
    d.object_transform = texture_[0].back();
    d.modelview = modelview_.back();
    d.colour = colour_;
    d.uniforms_f = uniforms_f_;
    d.uniforms_i = uniforms_i_;
    d.program_current = program_current_;
    return d;
}

void scene_recorder::draw_mesh(scene_mesh mesh, int object) {
    recorded_draw d = snapshot();
    d.mesh = mesh;
    d.object = object;
    draws.push_back(std::move(d));
}

void scene_recorder::draw_tube(spline& path, const vector3&, double t0, double t1, int steps, int sides) {
    recorded_draw d = snapshot();
    d.is_tube = true;
    d.sides = sides;
    d.steps = steps;
    d.t1 = t1;
    d.keys = path.count;
    if (path.count > 0) d.first_key = path.positions[0];
    for (const vector3& r : path.second) d.radii.push_back(r.x);
    d.quads = long(tube_segment_count(t1, steps, sides)) * sides;
    (void)t0;
    draws.push_back(std::move(d));
}

long scene_recorder::tube_quads() const {
    long total = 0;
    for (const recorded_draw& d : draws) total += d.quads;
    return total;
}

std::vector<const recorded_draw*> scene_recorder::meshes(scene_mesh mesh) const {
    std::vector<const recorded_draw*> out;
    for (const recorded_draw& d : draws)
        if (!d.is_tube && d.mesh == mesh) out.push_back(&d);
    return out;
}

std::vector<const recorded_draw*> scene_recorder::tubes_with_sides(int sides) const {
    std::vector<const recorded_draw*> out;
    for (const recorded_draw& d : draws)
        if (d.is_tube && d.sides == sides) out.push_back(&d);
    return out;
}
