// The piano curve read by the visuals: one key per 1/30 s of show time, x the lead
// piano's loudness envelope and y its pitch, both in [0, 1], smoothed so that
// neighbouring keys never differ by more than `max_key_step`.
#pragma once

#include <string>
#include <vector>

#include "tools/compose/score.h"

namespace compose {

constexpr double keys_per_show_second = 30.0;
constexpr double max_key_step = 0.15;

struct CurveKey {
  double x, y;
};

// The loudness envelope the curve gives a piano note (0..1 times velocity^1.5): a
// two-stage decay that is slower for low notes, and the damper at note-off.
double piano_level(double since_start, double seconds, int pitch, double velocity);

std::vector<CurveKey> piano_curve(const std::vector<NoteEvent>& score, int key_count);

// The point-file text: the key count, then one "x y z" line per key.
std::string point_file_text(const std::vector<CurveKey>& keys);

}  // namespace compose
