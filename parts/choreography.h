// The choreography: the show's scene pass. Every frame it recomputes the whole
// picture from the two clocks and the per-frame values: frame set-up, the strand
// groups, the mesh compositions and the credits, in the timeline's order, emitted
// through a scene_sink. Nothing persists between frames; the random generator is
// reseeded at the start of every frame, so the same inputs give the same frame.
#pragma once

#include "geometry/vector3.h"
#include "parts/show_slots.h"

class scene_sink;

// Program and texture slots the scene pass binds.
struct choreography_slots {
    int material_program = show_slots::material_program;
    int normal_map = show_slots::normal_map;
    int second_depth = show_slots::second_depth;
    int texture_111 = show_slots::black_2d;
    int blob = show_slots::blob;
    int cube_200 = show_slots::black_cube;
};

struct choreography_frame {
    double scene_time = 0.0;  // s: the replaying clock
    double show_time = 0.0;   // t: the unshifted clock
    float note_p1 = 0.0f;     // second note value of the frame
    float spectrum_value = 0.0f;  // spectrum[spectrum_band]
    double spectrum_gain = 0.0;
    double position_y = 0.0;
    view_pose frame_camera;
    view_pose projector_camera;
    int width = 1280;
    int height = 720;
    choreography_slots slots;
};

constexpr double choreography_field_of_view = 75.0;
constexpr unsigned choreography_seed = 4234234;

void draw_choreography(const choreography_frame& frame, scene_sink& sink);

// The "DSP" drive of the material: spectrum value x gain while 26.3 <= s <= 225.
float material_dsp(const choreography_frame& frame);
// Brightness of credit line n (0, 1, 2 in the order shown) at scene time s.
double credit_brightness(double s, int n);
// The number of strands group C draws, and the figure column's copies, at s.
int group_c_strand_count(double s);
int figure_column_count(double s);
// The wing column's depth offset d at s: 0 before 230, then easing back to -2.18.
double wing_column_depth(double s);
