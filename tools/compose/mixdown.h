// Renders the score into a stereo mix: each note becomes a clip placed at its music
// time on one of the buses (drums, side-chained synths, piano), which are then joined
// with a ping-pong delay on the piano and a shared reverb.
#pragma once

#include <vector>

#include "tools/compose/score.h"

namespace compose {

struct Mix {
  std::vector<float> left, right;
  std::size_t frames() const { return left.size(); }
};

// Renders music time [0, seconds). Events starting later are skipped.
Mix render_mix(const std::vector<NoteEvent>& score, double seconds);

}  // namespace compose
