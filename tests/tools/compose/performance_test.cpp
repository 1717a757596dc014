// The piano's performance and its sampled sound: pedal changes with each chord,
// velocities that follow the score, messages on FluidSynth's block starts, and what
// the soundfont makes of them (onset block, pedal sustain, louder and brighter
// notes at higher velocity).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/compose/music_clock.h"
#include "tools/compose/performance.h"
#include "tools/compose/sampled.h"
#include "tools/compose/score.h"
#include "tools/compose/voices.h"

namespace compose {
namespace {

bool is_pedal(const MidiEvent& e, bool down) {
  return e.kind == MidiKind::control && e.data1 == sustain_pedal && (e.data2 >= 64) == down;
}

TEST(Performance, PedalComesUpAsEachBarIsStruckAndGoesDownJustAfter) {
  const std::vector<NoteEvent> score = compose_score();
  const std::vector<MidiEvent> played = performance(score);
  for (std::size_t i = 1; i < played.size(); ++i) ASSERT_LE(played[i - 1].time, played[i].time) << i;
  // Every downbeat note of the left hand in bar 50 (the breakdown) is struck with the
  // pedal up, and the pedal is down again within a quarter beat.
  const double bar_start = onset_time(50 * beats_per_bar);
  auto first_on = std::find_if(played.begin(), played.end(), [&](const MidiEvent& e) {
    return e.kind == MidiKind::note_on && e.channel == left_hand_channel && e.time >= bar_start - 1e-9;
  });
  ASSERT_NE(first_on, played.end());
  EXPECT_NEAR(first_on->time, bar_start, 1e-9);
  auto lift = std::find_if(played.begin(), first_on, [&](const MidiEvent& e) {
    return is_pedal(e, false) && e.channel == left_hand_channel && std::fabs(e.time - bar_start) < 1e-9;
  });
  EXPECT_NE(lift, first_on) << "the pedal must be up before the new chord sounds";
  auto press = std::find_if(first_on, played.end(), [&](const MidiEvent& e) {
    return is_pedal(e, true) && e.channel == left_hand_channel;
  });
  ASSERT_NE(press, played.end());
  EXPECT_GT(press->time, bar_start);
  EXPECT_LT(press->time - bar_start, 0.25 * (music_from_beat(1) - music_from_beat(0)));
}

TEST(Performance, MelodyOnTheRightHandEveryNoteReleasedAndCrashOnTheKit) {
  const std::vector<NoteEvent> score = compose_score();
  std::size_t melody = 0, crashes = 0;
  for (const NoteEvent& e : score) melody += e.melody, crashes += e.instrument == Instrument::crash;
  std::size_t right_hand = 0, kit = 0;
  std::map<std::pair<int, int>, int> held;
  for (const MidiEvent& e : performance(score)) {
    if (e.kind == MidiKind::note_on) {
      right_hand += e.channel == right_hand_channel;
      kit += e.channel == drum_channel && e.data1 == crash_key;
      ++held[{e.channel, e.data1}];
    }
    if (e.kind == MidiKind::note_off) --held[{e.channel, e.data1}];
  }
  EXPECT_EQ(right_hand, melody);
  EXPECT_EQ(kit, crashes);
  for (const auto& [key, count] : held) EXPECT_EQ(count, 0) << "channel " << key.first << " key " << key.second;
}

TEST(Performance, VelocityFollowsTheScoresDynamics) {
  EXPECT_LT(midi_velocity(0.3), midi_velocity(0.6));
  EXPECT_LT(midi_velocity(0.6), midi_velocity(0.95));
  EXPECT_GE(midi_velocity(0.0), 1);
  EXPECT_EQ(midi_velocity(1.0), 127);
  EXPECT_GT(midi_velocity(0.95) - midi_velocity(0.3), 60);  // soft and loud are far apart
}

TEST(SampledPiano, MessagesLandOnTheNearestBlockStart) {
  EXPECT_EQ(block_frame(0.0), 0u);
  EXPECT_EQ(block_frame(31.0 / sample_rate), 0u);
  EXPECT_EQ(block_frame(33.0 / sample_rate), 64u);
  EXPECT_EQ(block_frame(1.0) % synth_block_frames, 0u);
  EXPECT_LE(std::fabs(static_cast<double>(block_frame(1.0)) - sample_rate), 32.0);
}

std::vector<MidiEvent> piano_setup() {
  return {{0.0, 0, MidiKind::program, 0, 0}, {0.0, 0, MidiKind::control, reverb_send, 0}};
}

Mix render_or_fail(const std::vector<MidiEvent>& events, double seconds) {
  Mix out;
  std::string error;
  EXPECT_TRUE(render_sampled(events, static_cast<std::size_t>(seconds * sample_rate), out, error)) << error;
  return out;
}

double rms(const Mix& m, double from, double to) {
  double sum = 0;
  std::size_t a = static_cast<std::size_t>(from * sample_rate), b = static_cast<std::size_t>(to * sample_rate);
  for (std::size_t i = a; i < b; ++i) sum += m.left[i] * m.left[i] + m.right[i] * m.right[i];
  return std::sqrt(sum / (2.0 * (b - a)));
}

TEST(SampledPiano, NoteStartsInItsBlockAndThePedalHoldsItAfterTheKeyIsUp) {
  std::vector<MidiEvent> dry = piano_setup(), pedalled = piano_setup();
  for (std::vector<MidiEvent>* events : {&dry, &pedalled}) {
    events->push_back({0.2, 0, MidiKind::note_on, 60, 90});
    events->push_back({0.5, 0, MidiKind::note_off, 60, 0});
  }
  pedalled.insert(pedalled.begin() + 2, {0.1, 0, MidiKind::control, sustain_pedal, 127});
  Mix a = render_or_fail(dry, 2.0), b = render_or_fail(pedalled, 2.0);
  ASSERT_EQ(a.frames(), static_cast<std::size_t>(2.0 * sample_rate));
  std::size_t first = 0;  // the reverb's anti-denormal offset leaves a trace far below this
  while (first < a.frames() && std::fabs(a.left[first]) < 1e-5f && std::fabs(a.right[first]) < 1e-5f) ++first;
  EXPECT_GE(first, block_frame(0.2)) << "nothing sounds before the note's block";
  EXPECT_LT(first, block_frame(0.2) + synth_block_frames) << "the note sounds within its own block";
  EXPECT_GT(rms(a, 0.25, 0.45), 1e-3);
  EXPECT_GT(rms(b, 1.2, 1.6), 10 * rms(a, 1.2, 1.6)) << "with the pedal down the note rings on";
}

// Share of the energy above 2 kHz in the first half second of a note.
double brightness(const Mix& m) {
  double all = 0, high = 0, smooth = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(0.5 * sample_rate); ++i) {
    double x = m.left[i] + m.right[i];
    smooth += (x - smooth) * 0.25;  // one-pole low-pass near 2 kHz
    all += x * x, high += (x - smooth) * (x - smooth);
  }
  return high / all;
}

TEST(SampledPiano, HarderKeysAreLouderAndBrighter) {
  std::vector<MidiEvent> soft = piano_setup(), hard = piano_setup();
  soft.push_back({0.0, 0, MidiKind::note_on, 48, midi_velocity(0.3)});
  hard.push_back({0.0, 0, MidiKind::note_on, 48, midi_velocity(0.95)});
  Mix a = render_or_fail(soft, 0.6), b = render_or_fail(hard, 0.6);
  EXPECT_GT(rms(b, 0.0, 0.5), 2.0 * rms(a, 0.0, 0.5));
  EXPECT_GT(brightness(b), 2.0 * brightness(a)) << "the soundfont's loud layers carry more overtones";
}

}  // namespace
}  // namespace compose
