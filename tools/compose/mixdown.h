// Renders the score into a stereo mix: the synthesised notes become clips placed at
// their music time on the drum and side-chained synth buses, the piano and crash are
// played by FluidSynth, and the buses are joined with a ping-pong delay on the piano,
// a reverb for the synthesised voices and a presence EQ.
#pragma once

#include <vector>

#include "tools/compose/score.h"

namespace compose {

struct Mix {
  std::vector<float> left, right;
  std::size_t frames() const { return left.size(); }
};

// Renders music time [0, seconds). Events starting later are skipped. Throws
// std::runtime_error when the sampled instruments cannot be played (no soundfont).
Mix render_mix(const std::vector<NoteEvent>& score, double seconds);

}  // namespace compose
