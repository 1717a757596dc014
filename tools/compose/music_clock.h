// The show's clock in three views: music time T (seconds into the track), show time s
// (the visuals' clock, slowed after s = 135 and s = 260) and beat position b (one beat
// per pulse of the show's 2.25 Hz beat grid). The score is written in beats and
// rendered in music time through these mappings.
#pragma once

namespace compose {

constexpr double first_slow_show_time = 135.0;   // from here the show clock runs at 0.922
constexpr double second_slow_show_time = 260.0;  // from here at 0.922 * 0.56
constexpr double first_rate = 0.922;
constexpr double second_rate = 0.922 * 0.56;
constexpr double beats_per_show_second = 2.25;
constexpr double beat_phase = 0.1152;  // beat k falls on show time k / 2.25 - 0.1152

double show_from_music(double music_time);
double music_from_show(double show_time);
double beat_from_music(double music_time);
double music_from_beat(double beat);

// Notes sound this much ahead of the grid: the kick's low-band energy builds up over
// the visuals' 1024-sample analysis window, and with this lead it peaks on the beat.
constexpr double onset_lead = 0.02;
inline double onset_time(double beat) { return music_from_beat(beat) - onset_lead; }

}  // namespace compose
