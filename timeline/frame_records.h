// The two per-frame records the frame driver hands to every part's draw:
// FrameTiming (step, demo time, clock reference) and PointerState (input, the
// music spectrum and part scratch values). Both are plain values: copying a
// PointerState copies every field, its list of marked points included.
#pragma once

#include "geometry/vector3.h"

#include <array>
#include <cstdint>
#include <vector>

struct FrameTiming {
    double step = 0.0;             // seconds this frame advances; a part may rescale it
    double demo_time = 0.0;        // the demo clock, following the music
    double clock_reference = 0.0;  // clock reading taken right after the last step
};

struct PointerState {
    double pointer_x = 0.0;  // cursor mapped around an 800 x 600 reference
    double pointer_y = 0.0;
    double wheel = 0.0;  // copy of the wheel total
    int32_t wheel_notches = 0;
    double adjust_qa = 0.0;      // moved by Q and A
    double adjust_updown = 0.0;  // moved by Up and Down
    int32_t left_button = 0;
    int32_t right_button = 0;
    std::array<double, 3> mark_point{};  // recorded by a middle click
    std::array<bool, 32> flags_a{};
    std::array<bool, 32> flags_b{};
    double demo_time = 0.0;
    std::vector<vector3> marked_points;
    std::array<float, 512> spectrum{};
    std::array<double, 32> scratch{};  // part-private; the main part keeps its clock in [0]
    std::array<int32_t, 256> key_states{};
    vector3 spare_point = vector3(1, 0.0f, 0.0f, 0.0f);

    PointerState() { flags_a[0] = true; }
};
