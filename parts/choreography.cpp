// The choreography's frame: set-up, the timeline of strand groups and mesh
// compositions, the credits roll and the end-of-frame state. Every random number
// is drawn here, in the documented order, from the show generator seeded at the
// start of the frame; an element that appears or vanishes moves every later draw.
#include "parts/choreography.h"

#include "geometry/spline.h"
#include "parts/scene_sink.h"
#include "parts/timing_curves.h"
#include "platform/show_random.h"

#include <cmath>

namespace {

double next_random() { return show_rand() / 32767.0; }

// Everything one frame's elements need: the sink, the clocks and the slots.
struct frame_context {
    scene_sink& sink;
    const choreography_frame& frame;
    double s;  // scene time
    double t;  // show time
    int program;

    void set_1f(const char* name, float value) { sink.uniform_1f(program, name, value); }
    void set_mode(int value) { sink.uniform_1i(program, "Mode", value); }
};

// --- Frame set-up --------------------------------------------------------------

void set_up_frame(frame_context& c) {
    scene_sink& sink = c.sink;
    const choreography_frame& f = c.frame;
    const choreography_slots& slots = f.slots;
    const double aspect = static_cast<double>(f.width) / f.height;

    sink.viewport(f.width, f.height);
    sink.matrix_mode(matrix_stack::projection);
    sink.load_identity();
    sink.perspective(choreography_field_of_view, aspect, 0.1, 30.0);
    sink.matrix_mode(matrix_stack::modelview);
    sink.load_identity();
    sink.clear();
    sink.look_at(f.frame_camera);
    sink.reset_flat_state();
    sink.use_program(c.program);

    c.set_1f("PosY", f.note_p1);
    c.set_1f("PP", f.note_p1);
    sink.bind_sampler(sampler_kind::texture_2d, c.program, 0, "texture2d_1", slots.normal_map);
    sink.bind_sampler(sampler_kind::texture_2d, c.program, 1, "texture2d_2", slots.second_depth);
    sink.bind_sampler(sampler_kind::texture_2d, c.program, 2, "texture2d_3", slots.texture_111);
    sink.bind_sampler(sampler_kind::texture_2d, c.program, 3, "texture2d_blob", slots.blob);
    sink.bind_sampler(sampler_kind::cube_map, c.program, 4, "texture2d_cube", slots.cube_200);
    c.set_1f("ttime", static_cast<float>(c.s));
    c.set_1f("Holes", 1.0f);
    c.set_1f("PositionY", static_cast<float>(f.position_y));
    c.set_mode(0);
    c.set_1f("ttime", static_cast<float>(c.s));
    c.set_1f("fttime", static_cast<float>(c.t));
    c.set_1f("NoBreak", 0.0f);
    c.set_1f("DSP", material_dsp(f));

    sink.projective_matrix(f.projector_camera, choreography_field_of_view, aspect, 0.1, 100.0);
    show_srand(choreography_seed);
    sink.push_matrix();
}

// --- Strand groups -------------------------------------------------------------

enum class strand_group { a, b, c, d, e, f };

struct tube_shape {
    double end;
    int steps;
    int sides;
};

double ea(double s, int j) { return ease((s - 28.0 - 0.2 * j) * 0.4); }

// The key position of key i (group C: k = -i) of strand j.
vector3 strand_key(strand_group g, double s, int j, int i, double r1, double r2) {
    switch (g) {
        case strand_group::a:
        case strand_group::f: {
            const double spread = g == strand_group::a ? 2.4 : 1.2;
            return vector3::of(static_cast<float>((r1 - 0.5) * spread), static_cast<float>((1.0 - 0.36 * ea(s, j)) * i),
                               static_cast<float>((r2 - 0.5) * spread));
        }
        case strand_group::b:
            return vector3::of(static_cast<float>((r1 - 0.5) * 2.4), static_cast<float>(i),
                               static_cast<float>((r2 - 0.5) * 2.4));
        case strand_group::c:
            return vector3::of(static_cast<float>((r1 - 0.5) * 2.4),
                               static_cast<float>((1.0 - 0.36 * ea(s, j)) * -i - 6.0),
                               static_cast<float>((r2 - 0.5) * 2.4));
        case strand_group::d:
            return vector3::of(static_cast<float>((r1 - 0.5) * 2.4),
                               static_cast<float>((1.0 - 0.33 * ease((s - 63.0) * 0.1)) * i),
                               static_cast<float>((r2 - 0.5) * 2.4));
        case strand_group::e: {
            const double k = s <= 86.0 ? 1.0 : (s <= 124.0 ? 5.0 * ease((s - 104.0) * 0.2) + 1.2 : 0.7);
            const double u = (r1 - 0.5) * 0.8, v = (r2 - 0.5) * 0.8;
            return vector3::of(static_cast<float>(k * (k * u)), static_cast<float>(k * (0.7 * i)),
                               static_cast<float>(k * v));
        }
    }
    return vector3::of(0, 0, 0);
}

// The radius of one key; draws its random number (all groups but F).
double strand_radius(strand_group g, double s, double t, int j) {
    switch (g) {
        case strand_group::a: {
            const double e2 = ease((s - 9.0 - j) * 0.1);
            const double m = ease((s - 3.0 - 0.2 * j) * 0.1);
            return -33.8 * e2 - 60.0 * m * next_random();
        }
        case strand_group::b: {
            const double eb = ease((s + 4.0 - j) * 0.1);
            const double w = ease((s - 16.0 - j) * 0.15);
            return 0.3 * next_random() + (1.0 - w) * (0.6 - 7.8 * eb);
        }
        case strand_group::c: {
            const double ec = ease((s - 190.0 + 0.3 * j) * 0.1);
            const double f = ease((t - 253.8 + 0.2 * j) * 0.2);
            return 0.1 * (1.0 - ec) - 60.0 * (1.0 - f) * next_random();
        }
        case strand_group::d:
            return 0.3 * next_random() + 0.6 - 7.8 * ease((s - 47.0 - j) * 0.1);
        case strand_group::e:
            return 0.3 * next_random();
        case strand_group::f:
            return 1.0;
    }
    return 0.0;
}

tube_shape shape_of(strand_group g) {
    switch (g) {
        case strand_group::a: return {100.0, 100, 40};
        case strand_group::b: return {50.0, 50, 3};
        case strand_group::c: return {100.0, 100, 40};
        case strand_group::d: return {100.0, 100, 6};
        case strand_group::e: return {100.0, 100, 3};
        case strand_group::f: return {100.0, 100, 5};
    }
    return {100.0, 100, 3};
}

void build_strand(spline& path, strand_group g, double s, double t, int j) {
    const double r1 = next_random();
    const double r2 = next_random();
    const vector3 zero = vector3::of(0, 0, 0);
    for (int i = 0; i < 100; ++i) path.append_key(strand_key(g, s, j, i, r1, r2), zero, zero);
    for (int i = 0; i < 100; ++i) {
        path.set_key(i, 1, vector3::of(static_cast<float>(strand_radius(g, s, t, j)), 0, 0));
    }
}

// The placement, colour and uniforms of one strand around its tube draw.
void place_strand(frame_context& c, strand_group g, int j) {
    scene_sink& sink = c.sink;
    const double s = c.s;
    switch (g) {
        case strand_group::a:
            sink.translate(1.5 * ramp_in((s - 128.0) * 0.5), 0, 0);
            sink.rotate(next_random() * 1000.0, 0, 1, 0);
            sink.translate(0, -0.4 * j, 0);
            sink.color(0.17f, 0.1f, 0.12f);
            break;
        case strand_group::b:
            sink.rotate(next_random() * 1000.0, 0, 1, 0);
            sink.color(0.1f, 0.1f, 0.1f);
            break;
        case strand_group::c:
            sink.rotate(next_random() * 1000.0, 0, 1, 0);
            sink.translate(0, -0.4 * j, 0);
            sink.color(0.2f, 0.2f, 0.2f);
            c.set_1f("NoBreak", 1.0f);
            break;
        case strand_group::d:
            sink.rotate(next_random() * 1000.0, 0, 1, 0);
            sink.translate(0, 81, 0);
            sink.color(0.1f, 0.2f, 0.2f);
            break;
        case strand_group::e:
            sink.translate(0, 18, 0);
            sink.rotate(-18.0 * s, 0, 1, 0);
            sink.rotate(next_random() * 1000.0, 0, 1, 0);
            sink.translate(0, s <= 86.0 ? 45.0 : 9.0, 0);
            sink.color(1.0f, 1.0f, 0.0f);
            c.set_mode(0);
            break;
        case strand_group::f:
            sink.translate(0.6, -60, 0);
            sink.translate(0, -0.4 * j, 0);
            sink.color(1.0f, 0.1f, 0.0f);
            break;
    }
    c.set_1f("Holes", 1.0f);
}

void draw_strand(frame_context& c, strand_group g, int j) {
    scene_sink& sink = c.sink;
    spline path;
    build_strand(path, g, c.s, c.t, j);
    if (g == strand_group::d) c.set_mode(0);

    sink.push_matrix();
    sink.active_texture(1);
    sink.load_identity();
    sink.translate(0, 0, 0);
    sink.active_texture(0);
    sink.load_identity();
    sink.disable_culling();
    place_strand(c, g, j);
    const tube_shape shape = shape_of(g);
    sink.draw_tube(path, vector3::of(0, 0, 1), 0.0, shape.end, shape.steps, shape.sides);
    c.set_1f("Holes", 1.0f);
    if (g == strand_group::c) c.set_1f("NoBreak", 0.0f);
    if (g == strand_group::e) c.set_mode(0);
    sink.pop_matrix();
}

void draw_group(frame_context& c, strand_group g, int strands) {
    for (int j = 0; j < strands; ++j) draw_strand(c, g, j);
}

// --- Mesh compositions ---------------------------------------------------------

// The common orientation R and the rod orientation Q.
void orient_r(scene_sink& sink) {
    sink.rotate(90, 0, 0, -1);
    sink.rotate(180, 1, 0, 0);
    sink.rotate(180, 0, 1, 0);
    sink.rotate(90, 0, 0, 1);
    sink.rotate(90, 0, 1, 0);
}

void orient_q(scene_sink& sink) {
    sink.rotate(90, 0, 1, 0);
    sink.rotate(90, 0, 0, 1);
    sink.rotate(90, 1, 0, 0);
}

// A composition's usual start: white, save, unit 0 identity, culling off.
void begin_composition(scene_sink& sink) {
    sink.color(1, 1, 1);
    sink.push_matrix();
    sink.active_texture(0);
    sink.load_identity();
    sink.disable_culling();
}

void draw_figure_column(frame_context& c) {
    scene_sink& sink = c.sink;
    const int copies = figure_column_count(c.s);
    for (int j = 0; j < copies; ++j) {
        sink.push_matrix();
        sink.active_texture(1);
        sink.load_identity();
        sink.active_texture(0);
        sink.load_identity();
        sink.translate(0, 1.3 * ramp_in(c.s - 137.0) + 18.0 * j - 130.0, 0);
        sink.disable_culling();
        sink.rotate(next_random() * 126.0, 0, 1, 0);
        c.set_mode(1);
        if (c.t > 210.0) {
            sink.color(static_cast<float>(0.2 + 0.2 * (j % 2)), 0.4f, 0.6f);
        } else {
            sink.color(0.5f, 0.5f, 0.5f);
        }
        sink.draw_mesh(scene_mesh::quorrel, -1);
        c.set_mode(0);
        sink.pop_matrix();
    }
}

void draw_base_stack(frame_context& c) {
    scene_sink& sink = c.sink;
    begin_composition(sink);
    sink.color(0.7f, 0.7f, 0.8f);
    sink.translate(0, -13.5, 0);
    sink.translate(0, 0, ramp_in((c.s - 6.0) * 0.5) - 0.116);
    sink.scale(0.2, 0.2, 0.2);
    sink.scale(1, 0.1, 1);
    sink.rotate(90, 1, 0, 0);
    c.set_1f("Holes", 0.0f);
    sink.draw_mesh(scene_mesh::wings, -1);
    sink.color(0, 0, 0);
    sink.scale(1, 1, 2);
    sink.translate(0, 4.78, 0);
    sink.rotate(180, 1, 0, 0);
    c.set_mode(0);
    c.set_1f("Holes", 0.0f);
    if (c.s < 13.0) sink.draw_mesh(scene_mesh::transf3, -1);
    c.set_1f("Holes", 1.0f);
    sink.pop_matrix();
}

void draw_tilted_transf3(frame_context& c) {
    scene_sink& sink = c.sink;
    begin_composition(sink);
    sink.color(0.7f, 0.7f, 0.8f);
    sink.translate(0, -5.5, 0);
    sink.rotate(-26, 0, 0, 1);
    sink.rotate(180, 1, 0, 0);
    sink.rotate(90, 0, 1, 0);
    sink.scale(0.2, 0.2, 0.2);
    sink.scale(1.3, 1.3, 1.3);
    sink.rotate(90, 1, 0, 0);
    c.set_1f("Holes", 0.0f);
    sink.color(0.3f, 0.3f, 0.3f);
    sink.translate(0, 4.78, 0);
    sink.rotate(180, 1, 0, 0);
    c.set_mode(0);
    c.set_1f("Holes", 0.0f);
    sink.draw_mesh(scene_mesh::transf3, -1);
    c.set_1f("Holes", 1.0f);
    sink.pop_matrix();
}

// The upper transf3 and each wing of the column share this stacking tail.
void stack_on_column(scene_sink& sink) {
    sink.translate(4.9, 40, 0);
    orient_r(sink);
    sink.scale(0.2, 0.2, 0.2);
    sink.scale(2, 2, 2);
    sink.rotate(90, 1, 0, 0);
}

// A mesh stacked on the column, upside down, in `blue` (1 white, 0 yellow), with
// its holes open or closed; the composition's matrix is popped after it.
void draw_on_column(frame_context& c, scene_mesh mesh, float blue, float holes) {
    scene_sink& sink = c.sink;
    stack_on_column(sink);
    c.set_1f("Holes", 0.0f);
    sink.color(1, 1, blue);
    sink.scale(3, 3, 3);
    sink.translate(0, 4.78, 0);
    sink.rotate(180, 1, 0, 0);
    c.set_mode(0);
    c.set_1f("Holes", holes);
    sink.draw_mesh(mesh, -1);
    c.set_1f("Holes", 1.0f);
    sink.pop_matrix();
}

void draw_upper_transf3(frame_context& c) {
    scene_sink& sink = c.sink;
    begin_composition(sink);
    sink.color(0.7f, 0.7f, 0.8f);
    sink.translate(0, -13.5, 0);
    draw_on_column(c, scene_mesh::transf3, 1.0f, 1.0f);
}

}  // namespace

double wing_column_depth(double s) { return s < 230.0 ? 0.0 : -1.48 - 0.7 * ease((s - 233.0) * 0.3); }

namespace {

void draw_wing_column(frame_context& c) {
    scene_sink& sink = c.sink;
    const double s = c.s;
    double top = 94.0, step = 13.6, jitter = 20.0;
    if (s >= 186.0) {
        top = 34.0, step = 6.0, jitter = 20.0;
    } else if (s >= 86.0) {
        jitter = 0.0;
    }
    for (int j = 0; j < 6; ++j) {
        begin_composition(sink);
        sink.color(0.7f, 0.7f, 0.8f);
        sink.translate(0, -13.5, 0);
        sink.translate(0.4, 0, wing_column_depth(s));
        sink.translate(0, top - step * j, next_random() * jitter);
        draw_on_column(c, scene_mesh::wings, 0.0f, 0.0f);
    }
}

void draw_rod(frame_context& c, double y, double z, double slide, double thickness, double length) {
    scene_sink& sink = c.sink;
    sink.translate(0, y, z);
    orient_q(sink);
    sink.translate(0, 0, slide);
    sink.scale(-thickness, -thickness, length);
    c.set_1f("Holes", 1.0f);
    sink.draw_mesh(scene_mesh::wings, -1);
    c.set_1f("Holes", 1.0f);
}

void draw_rods_and_blue_piece(frame_context& c) {
    scene_sink& sink = c.sink;
    const double s = c.s;
    c.set_mode(1);

    begin_composition(sink);
    sink.color(0, 1, 1);
    draw_rod(c, 78.5, 0.93, ramp_in((s - 43.0) * 0.5), 1.0, 100.0);
    sink.pop_matrix();

    begin_composition(sink);
    sink.color(1, 0, 0);
    draw_rod(c, 90.5, 1.13, ramp_in((s - 45.0) * 0.5), 2.0, 100.0);
    sink.load_identity();
    sink.disable_culling();
    sink.translate(0, 84.5, -1.07);
    orient_q(sink);
    sink.color(0.5f, 1.0f, 0.5f);
    sink.translate(0, 0, -3.0 * ramp_in((s - 47.0) * 0.5));
    sink.scale(-2, -2, 4);
    c.set_1f("Holes", 1.0f);
    sink.draw_mesh(scene_mesh::wings, -1);
    c.set_1f("Holes", 1.0f);
    sink.pop_matrix();

    begin_composition(sink);
    sink.translate(0, 2.0 * ramp_in(s - 120.0), 0);
    sink.translate(0, 84.5, -1.07);
    orient_q(sink);
    sink.scale(5, 9, 9);
    c.set_1f("Holes", 1.0f);
    c.set_mode(2);
    sink.translate(16.6, -0.2, -0.0116);
    if (s > 86.0) sink.translate(-17.8, 0, 0);
    sink.color(0.0f, 0.4f, 1.0f);
    sink.draw_mesh(scene_mesh::wings, -1);
    sink.pop_matrix();
}

// --- Credits and the end of the frame -----------------------------------------

void restore_after_strands(scene_sink& sink) {
    sink.color(1, 0, 0);
    sink.disable_culling();
    sink.pop_matrix();
}

void draw_credits(frame_context& c) {
    scene_sink& sink = c.sink;
    const choreography_frame& f = c.frame;
    sink.color(1, 1, 1);
    sink.clear();
    sink.matrix_mode(matrix_stack::texture);
    sink.active_texture(1);
    sink.load_identity();
    sink.active_texture(0);
    sink.load_identity();
    sink.matrix_mode(matrix_stack::projection);
    sink.load_identity();
    sink.perspective(choreography_field_of_view, static_cast<double>(f.width) / f.height, 0.1, 30.0);
    sink.matrix_mode(matrix_stack::modelview);
    sink.load_identity();
    sink.reset_flat_state();
    sink.look_at(view_pose{vector3::of(0, 0, 25), vector3::of(0, 0, 0), vector3::of(0, 1, 0)});
    sink.disable_culling();
    sink.use_fixed_function();
    sink.color(1, 1, 1);
    sink.scale(0.7, 0.7, 0.7);
    sink.scale(1, 1, 0.1);
    const int objects[3] = {1, 2, 0};
    for (int n = 0; n < 3; ++n) {
        const float b = static_cast<float>(credit_brightness(c.s, n));
        sink.color(b, b, b);
        if (b > 0.01f) sink.draw_mesh(scene_mesh::credits, objects[n]);
        if (n < 2) sink.translate(0, -2.6, 0);
    }
}

void end_frame(scene_sink& sink) {
    sink.matrix_mode(matrix_stack::texture);
    sink.active_texture(0);
    sink.load_identity();
    sink.use_fixed_function();
    sink.matrix_mode(matrix_stack::texture);
    sink.active_texture(0);
    sink.load_identity();
    sink.end_frame_points();
}

}  // namespace

float material_dsp(const choreography_frame& frame) {
    const double s = frame.scene_time;
    if (s < 26.3 || s > 225.0) return 0.0f;
    return static_cast<float>(frame.spectrum_value * frame.spectrum_gain);
}

double credit_brightness(double s, int n) {
    return ease(clamp01((s - 260.0 - n) * 0.3) - clamp01((s - 263.0 - n) * 0.3));
}

// The two counts compare in single precision, as the show always has: at
// s = 190.8 the limit is exactly 4, not 4 plus a rounding error.
int group_c_strand_count(double s) {
    const float limit = 5.0f * static_cast<float>(clamp01(s - 190.0));
    int count = 0;
    while (count < 5 && count < limit) ++count;
    return count;
}

int figure_column_count(double s) {
    const float limit = 8.0f * static_cast<float>(clamp01((s - 120.0) * 0.5));
    int count = 0;
    while (count < 8 && count < limit) ++count;
    return count;
}

void draw_choreography(const choreography_frame& frame, scene_sink& sink) {
    frame_context c{sink, frame, frame.scene_time, frame.show_time, frame.slots.material_program};
    const double s = c.s;
    set_up_frame(c);

    if (s < 186.0) draw_figure_column(c);
    draw_group(c, strand_group::a, 5);
    draw_group(c, strand_group::b, 10);
    draw_base_stack(c);
    if (s > 190.0) draw_tilted_transf3(c);
    if (s > 190.0) draw_group(c, strand_group::c, group_c_strand_count(s));
    if (s > 105.0) draw_upper_transf3(c);
    if (s <= 86.0 || s >= 105.0) draw_wing_column(c);
    draw_rods_and_blue_piece(c);
    draw_group(c, strand_group::d, 10);
    draw_group(c, strand_group::e, 10);
    if (s > 169.0 && s < 186.0) draw_group(c, strand_group::f, 3);
    restore_after_strands(sink);
    if (s > 260.0) draw_credits(c);
    end_frame(sink);
}
