// The main part's per-frame rules: pure functions of the clock, the note table
// and the frame's values. Camera vectors are built in double and stored as the
// floats of vector3.
#include "parts/start_rules.h"

#include "geometry/spline.h"
#include "parts/timing_curves.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

vector3 v3(double x, double y, double z) {
    return vector3::of(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

double clamp_to(double x, double lo, double hi) { return std::min(std::max(x, lo), hi); }

// own + (other - own) x b per component, worked in double and stored as float: a
// difference of two floats and its sum back are exact in double, so a blend of 0
// gives own and a blend of 1 gives other bit for bit, as the view's ends promise.
vector3 blend_vector(const vector3& own, const vector3& other, double b) {
    if (own.state == 0 || other.state == 0) return vector3(1, 0.0f, 0.0f, 0.0f);
    const auto mix = [b](float a, float c) { return static_cast<float>(a + (double(c) - a) * b); };
    return vector3(1, mix(own.x, other.x), mix(own.y, other.y), mix(own.z, other.z));
}

}  // namespace

double scaled_step(double step, double scene_time) {
    if (scene_time > slow_time) step *= 0.922;
    if (scene_time > slower_time) step *= 0.56;
    return step;
}

double advance_clock(double scene_time, double& step) {
    step = scaled_step(step, scene_time);
    const double advanced = scene_time + step;
    return advanced < start_clock_floor ? start_clock_floor : advanced;
}

note_values look_up_notes(const spline& notes, double t) {
    const int32_t keys = std::min<int32_t>(notes.count, static_cast<int32_t>(notes.positions.size()));
    if (keys <= 0) return {};
    const double row = std::trunc(t * 30.0);
    const int32_t k = row <= 0.0 ? 0 : (row >= keys - 1 ? keys - 1 : static_cast<int32_t>(row));
    const vector3& key = notes.positions[static_cast<size_t>(k)];
    return {key.x, key.y};
}

double spectrum_gain_at(double t) {
    return 2.0 * clamp_to((t - 3.0) * 0.2, 0.0, 1.0) * (1.0 - clamp_to((t - 256.0) * 0.8, 0.0, 1.0));
}

view_pose start_camera(double t) {
    return view_pose{v3(0, 0.1 * t - 16.0, 0), v3(0, 0.1 * t - 12.0, 0), v3(0, 0, 1)};
}

windowed_camera camera_windows(double t, double p0, double p1) {
    double py = 2.0 * t - 20.0;
    view_pose c{v3(0, py, 0), v3(0, py + 4.0, 0), v3(0, 0, 1)};
    if (t > 41.5) {
        c.centre = v3(0, py - 4.0, 0);
        c.up = v3(-1, 0, 0);
    }
    if (t > 86.0) {
        py = 220.0 - 2.0 * t;
        c = view_pose{v3(0, py, -0.81), v3(0, py, 1), v3(-1, 0, 0)};
    }
    if (t > 104.0) {
        py = 246.8 - 1.7 * t;
        const double b = clamp_to((t - 134.0) * 0.5, 0.0, 1.0);
        c = view_pose{v3(0, py, 0), v3(2.0 * b * p1, py - 4.0, -2.0 * b * p0), v3(-1, 0, 0.1 * b * (p0 + p1))};
    }
    if (t > 169.0) {
        py = 720.0 - 4.0 * t;
        c = view_pose{v3(0, py, 0), v3(0, py, 1), v3(-1, 0, 0)};
    }
    if (t > 186.0) {
        py = 246.8 - 1.7 * (t - 84.0);
        c = view_pose{v3(0, py, 0), v3(0, py - 4.0, 0), v3(-1, 0, 0)};
    }
    if (t > 230.0) {
        py = 400.0 - 3.0 * (t - 44.0);
        py += 220.00000000000003;
        py += 2.0;
        py += 3.0 * ramp_in((t - 249.0) * 0.5);
        c = view_pose{v3(0, py, 0), v3(0.6, py - 4.0, 0), v3(1, 0, 0)};
    }
    if (t > 260.0) c = view_pose{v3(0, 0, 20), v3(0, 0, 0), v3(0, 1, 0)};
    return {py, c};
}

double camera_blend_at(double t) { return ease_shaped(clamp_to((t - 6.0) * 0.1, 0.0, 1.0), 1.0); }

chosen_camera choose_camera(double t, double p0, double p1) {
    chosen_camera chosen;
    chosen.frame_camera = start_camera(t);
    const windowed_camera windowed = camera_windows(t, p0, p1);
    chosen.local_camera = windowed.camera;
    chosen.position_y = windowed.position_y;
    chosen.blend = camera_blend_at(t);
    const view_pose& own = chosen.frame_camera;
    const view_pose& local = chosen.local_camera;
    chosen.frame_camera = view_pose{blend_vector(own.eye, local.eye, chosen.blend),
                                    blend_vector(own.centre, local.centre, chosen.blend),
                                    blend_vector(own.up, local.up, chosen.blend)};
    return chosen;
}

double rewound_time(double t) { return (t > rewind_from && t < rewind_to) ? t - rewind_amount : t; }

final_drive final_pass_drive(double s, float spectrum_value, double spectrum_gain) {
    if (s < 26.3) return {0.0f, 1.0f};
    if (s > 220.0) return {0.0f, 0.0f};
    const double level = spectrum_value * 0.3 * spectrum_gain;
    const double wave = std::max(std::sin(s * 6.283185307179586 * 2.25 + 3.1999999999999997), 0.0);
    const double pulse = 1.5 * wave * wave * wave;
    const double ramp = clamp_to((s - 12.0) * 0.1, 0.0, 1.0);
    const double shaped = 1.0 + ramp * (pulse - 1.0);
    return {static_cast<float>(level), static_cast<float>(shaped)};
}

unsigned ssao_seed(double s) {
    const double scaled = std::trunc(s * 423424.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) return 0;
    return static_cast<unsigned>(static_cast<uint64_t>(static_cast<int64_t>(scaled)));
}
