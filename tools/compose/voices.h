// The synthesised instruments: each renders one note into a short stereo clip that
// the mixer places on the timeline. All envelopes start and end at zero, so note boundaries
// never click.
#pragma once

#include <cstdint>
#include <vector>

namespace compose {

constexpr int sample_rate = 44100;

struct Clip {
  std::vector<float> left, right;
  explicit Clip(double seconds);
  std::size_t frames() const { return left.size(); }
};

double note_frequency(int pitch);

Clip pad_note(double seconds, int pitch, double velocity, std::uint64_t seed);
Clip bass_note(double seconds, int pitch, double velocity);
Clip pluck_note(double seconds, int pitch, double velocity, std::uint64_t seed);

// Kick: a fast pitch drop into a sub-bass tail at `pitch` (kept between about 30 and 62 Hz).
Clip kick_hit(double velocity, int pitch);
Clip clap_hit(double velocity, std::uint64_t seed);
Clip hat_hit(double velocity, bool open, std::uint64_t seed);
Clip riser_sweep(double seconds, double velocity, std::uint64_t seed);
Clip boom_hit(double velocity);

}  // namespace compose
