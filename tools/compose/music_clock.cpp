// Piecewise-linear mappings between music time, show time and beat position.
// Show time lags music time by 2 s and then slows twice; beats are evenly spaced
// in show time, so the tempo in music time drops at each slow-down.
#include "tools/compose/music_clock.h"

namespace compose {

namespace {
constexpr double first_knee_music = first_slow_show_time + 2.0;
constexpr double second_knee_music =
    first_knee_music + (second_slow_show_time - first_slow_show_time) / first_rate;
}  // namespace

double show_from_music(double music_time) {
  if (music_time <= first_knee_music) return music_time - 2.0;
  if (music_time <= second_knee_music)
    return first_slow_show_time + first_rate * (music_time - first_knee_music);
  return second_slow_show_time + second_rate * (music_time - second_knee_music);
}

double music_from_show(double show_time) {
  if (show_time <= first_slow_show_time) return show_time + 2.0;
  if (show_time <= second_slow_show_time)
    return first_knee_music + (show_time - first_slow_show_time) / first_rate;
  return second_knee_music + (show_time - second_slow_show_time) / second_rate;
}

double beat_from_music(double music_time) {
  return (show_from_music(music_time) + beat_phase) * beats_per_show_second;
}

double music_from_beat(double beat) {
  return music_from_show(beat / beats_per_show_second - beat_phase);
}

}  // namespace compose
