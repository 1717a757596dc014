// The main part's per-frame rules apart from GL: the clock advance with its slow
// stretches, the piano note lookup, the drive values, the camera windows and their
// blend, the replay rewind and the final pass's "DSP"/"DSP2" (the letterbox is the
// frame driver's, in timeline/frame_step.h). The
// frame pipeline and the capture tool both step the clock through these.
#pragma once

#include "geometry/vector3.h"

class spline;

constexpr double start_clock_floor = -2.0;    // the part clock never runs below this
constexpr double slow_time = 135.0;           // after it the clock runs at 0.922
constexpr double slower_time = 260.0;         // after it, at 0.922 x 0.56
constexpr double rewind_from = 186.0;         // strictly between these two show times
constexpr double rewind_to = 230.0;           // the choreography replays 104 .. 148
constexpr double rewind_amount = 82.0;
constexpr double start_field_of_view = 75.0;  // degrees, view and projector alike

// The frame's step scaled by the clock before the advance: x 0.922 past 135,
// and x 0.56 more past 260.
double scaled_step(double step, double scene_time);

// One frame of the part clock: the scaled step is written back into `step` and
// the advanced clock, lifted to -2 when a negative step took it lower, returned.
double advance_clock(double scene_time, double& step);

// The two note values at clock t: key trunc(t x 30) of the table, clamped to its
// keys. An empty table gives zeros.
struct note_values {
    float p0 = 0.0f;
    float p1 = 0.0f;
};
note_values look_up_notes(const spline& notes, double t);

// The time-shaped gain of the spectrum value that drives "DSP".
double spectrum_gain_at(double t);

// The camera before the blend: rising slowly along y, looking up the column.
view_pose start_camera(double t);

// The windowed camera of clock t: each window past its start (strictly) replaces
// what it sets; position_y is the height the windows compute.
struct windowed_camera {
    double position_y = 0.0;
    view_pose camera;
};
windowed_camera camera_windows(double t, double p0, double p1);

// How far the view has moved from the start camera to the windowed one: 0 up to
// t = 6, easing to 1 at t = 16.
double camera_blend_at(double t);

// The frame's view at clock t: the start camera moved toward the windowed camera
// by the opening blend, each component own + (local - own) x blend.
struct chosen_camera {
    view_pose frame_camera;
    view_pose local_camera;
    double position_y = 0.0;
    double blend = 0.0;
};
chosen_camera choose_camera(double t, double p0, double p1);

// The choreography's clock for show time t: t - 82 strictly inside (186, 230).
double rewound_time(double t);

// "DSP" and "DSP2" of the final pass at scene time s (after the rewind).
struct final_drive {
    float dsp = 0.0f;
    float dsp2 = 0.0f;
};
final_drive final_pass_drive(double s, float spectrum_value, double spectrum_gain);

// The seed of the ambient-occlusion pass's generator at scene time s: the low
// 32 bits of trunc(s x 423424).
unsigned ssao_seed(double s);
