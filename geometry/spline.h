// spline: keys in up to three parallel channels of vector3, evaluated as a
// Catmull-Rom curve through the keys, closed (looping) or open. Channel 0 holds
// positions; the tubes read their radius from the x of channel 1. Also serves as a
// plain sample table filled from a point file.
#pragma once

#include "geometry/load_outcome.h"
#include "geometry/vector3.h"

#include <cstdint>
#include <string_view>
#include <vector>

class spline {
public:
    // Point files announcing more points than this are treated as unreadable.
    static constexpr int32_t max_points = 1000000;

    std::vector<vector3> positions;  // channel 0
    std::vector<vector3> second;     // channel 1
    std::vector<vector3> third;      // channel 2
    int32_t count = 0;               // number of keys; all index arithmetic uses it
    int32_t channels = 3;            // channels evaluate_all computes: 1, 2 or 3
    bool looping = true;

    // Empties the channels, count 0, channels 3; looping is kept.
    void clear();
    // Appends one key to all three channels.
    void append_key(const vector3& position, const vector3& second_value, const vector3& third_value);
    // Overwrites key `index` of channel 0, 1 or 2 (state included); anything else,
    // or an index past the channel, does nothing.
    void set_key(int32_t index, int32_t channel, const vector3& value);
    // Position channel at t: writes x, y, z of out (its state is kept, except at
    // the open ends, where the whole end key is copied). No keys: out unchanged.
    void evaluate(float t, vector3& out) const;
    // Positions and, as `channels` allows, the second and third channel at t, always
    // with the looping rules. No position keys: every output is (1, 100, 0, 0);
    // fewer than two keys: outputs unchanged.
    void evaluate_all(float t, vector3& out_position, vector3& out_second, vector3& out_third) const;
    // Replaces the contents with the points of a point file: a count, then that
    // many x y z groups. Missing file, unreadable or out-of-range count: empty.
    // True when points were read. `outcome`, when given, tells why the file gave
    // less: unreadable, no count, or fewer numbers than the count (read as 0).
    bool load_points(const char* file_name, load_outcome* outcome = nullptr);
    bool load_points_from_text(std::string_view text, load_outcome* outcome = nullptr);
};
