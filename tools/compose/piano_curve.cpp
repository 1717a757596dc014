// Samples the lead piano line at the show's key times. The raw loudness follows the
// piano's own envelope; pitch holds the latest note. Both are low-passed and then
// slew-limited, which keeps the camera swings they drive free of jumps.
#include "tools/compose/piano_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/compose/music_clock.h"

namespace compose {

namespace {

struct Timed {
  double start, length;
  int pitch;
  double velocity;
};

std::vector<Timed> melody_notes(const std::vector<NoteEvent>& score) {
  std::vector<Timed> notes;
  for (const NoteEvent& e : score)
    if (e.melody) {
      double start = onset_time(e.start_beat);
      notes.push_back({start, onset_time(e.start_beat + e.length_beats) - start, e.pitch, e.velocity});
    }
  std::sort(notes.begin(), notes.end(), [](const Timed& a, const Timed& b) { return a.start < b.start; });
  return notes;
}

double piano_decay_time(int pitch) { return std::clamp(11.0 * std::pow(2.0, -(pitch - 48) / 14.0), 1.0, 16.0); }
double piano_damper(double since_start, double seconds) {
  return since_start > seconds ? std::exp(-(since_start - seconds) / 0.09) : 1.0;
}

double approach(double from, double to, double smoothing) {
  double next = from + (to - from) * smoothing;
  return std::clamp(next, from - max_key_step, from + max_key_step);
}

// Raw loudness (relative to the loudest note's peak) and pitch at each key time.
std::vector<CurveKey> raw_curve(const std::vector<Timed>& notes, int key_count) {
  int low = 127, high = 0;
  double loudest = 1e-9;
  for (const Timed& n : notes) {
    low = std::min(low, n.pitch), high = std::max(high, n.pitch);
    loudest = std::max(loudest, piano_level(0.004, n.length, n.pitch, n.velocity));
  }
  std::vector<CurveKey> raw;
  double pitch = 0.5;
  for (int k = 0; k < key_count; ++k) {
    double t = music_from_show(k / keys_per_show_second);
    double level = 0;
    for (const Timed& n : notes) {
      if (n.start > t) break;
      double l = piano_level(t - n.start, n.length, n.pitch, n.velocity) / loudest;
      level = std::max(level, l);
      if (t - n.start < n.length || l > 0.05) pitch = (n.pitch - low) / static_cast<double>(high - low);
    }
    raw.push_back({level, pitch});
  }
  return raw;
}

std::vector<CurveKey> smooth(const std::vector<CurveKey>& raw, double level_gain) {
  std::vector<CurveKey> keys;
  CurveKey state{0.0, 0.5};
  for (const CurveKey& r : raw) {
    state.x = approach(state.x, std::clamp(r.x * level_gain, 0.0, 1.0), 0.6);
    state.y = approach(state.y, std::clamp(r.y, 0.0, 1.0), 0.35);
    keys.push_back(state);
  }
  return keys;
}

}  // namespace

double piano_level(double since_start, double seconds, int pitch, double velocity) {
  if (since_start < 0) return 0;
  double rate = 6.91 / piano_decay_time(pitch);
  double body = 0.55 * std::exp(-rate * 3.0 * since_start) + 0.45 * std::exp(-rate * 0.6 * since_start);
  double attack = std::min(1.0, since_start / 0.004);
  return std::pow(velocity, 1.5) * attack * body * piano_damper(since_start, seconds);
}

// Smoothing takes the tops off the short piano attacks, so the loudness is scaled
// once more to let the smoothed curve use the whole range up to 1.
std::vector<CurveKey> piano_curve(const std::vector<NoteEvent>& score, int key_count) {
  std::vector<CurveKey> raw = raw_curve(melody_notes(score), key_count);
  double top = 0;
  for (const CurveKey& key : smooth(raw, 1.0)) top = std::max(top, key.x);
  return smooth(raw, top > 0 ? 1.0 / top : 1.0);
}

std::string point_file_text(const std::vector<CurveKey>& keys) {
  std::string text = std::to_string(keys.size()) + "\n";
  char line[64];
  for (const CurveKey& key : keys) {
    std::snprintf(line, sizeof line, "%.5f %.5f 0\n", key.x, key.y);
    text += line;
  }
  return text;
}

}  // namespace compose
