// Turns the score's sampled notes into timed MIDI messages. The pedal follows legato
// pedalling: it comes up exactly as a new harmony is struck and goes down again a
// little after, so the new chord is caught and the old one cleared.
#include "tools/compose/performance.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "tools/compose/music_clock.h"

namespace compose {

namespace {

constexpr double pedal_catch_beats = 0.15;  // how long after the chord the pedal goes down

int order_of(MidiKind kind, int data1, int data2) {
  switch (kind) {
    case MidiKind::program: return 0;
    case MidiKind::control: return data1 == sustain_pedal ? (data2 < 64 ? 2 : 4) : 1;
    case MidiKind::note_off: return 1;
    case MidiKind::note_on: return 3;
  }
  return 0;
}

void add_setup(std::vector<MidiEvent>& out) {
  for (int channel : {right_hand_channel, left_hand_channel}) {
    out.push_back({0.0, channel, MidiKind::program, 0, 0});  // Acoustic Grand Piano
    out.push_back({0.0, channel, MidiKind::control, reverb_send, 72});
    out.push_back({0.0, channel, MidiKind::control, chorus_send, 0});
  }
  // The player's view of the keyboard: the low hand a little left, the melody right.
  out.push_back({0.0, left_hand_channel, MidiKind::control, pan_control, 46});
  out.push_back({0.0, right_hand_channel, MidiKind::control, pan_control, 80});
  out.push_back({0.0, drum_channel, MidiKind::control, reverb_send, 64});
  out.push_back({0.0, drum_channel, MidiKind::control, chorus_send, 0});
  out.push_back({0.0, drum_channel, MidiKind::control, pan_control, 84});
}

// Pedal up and down again at each bar the piano plays in, both hands together.
void add_pedal(std::vector<MidiEvent>& out, const std::set<int>& bars) {
  for (int bar : bars) {
    const double beat = bar * beats_per_bar;
    for (int channel : {right_hand_channel, left_hand_channel}) {
      out.push_back({std::max(onset_time(beat), 0.0), channel, MidiKind::control, sustain_pedal, 0});
      out.push_back({onset_time(beat + pedal_catch_beats), channel, MidiKind::control, sustain_pedal, 127});
    }
  }
}

}  // namespace

bool is_sampled(Instrument instrument) { return instrument == Instrument::piano || instrument == Instrument::crash; }

int midi_velocity(double velocity) {
  return std::clamp(static_cast<int>(std::lround(12.0 + 115.0 * velocity)), 1, 127);
}

std::vector<MidiEvent> performance(const std::vector<NoteEvent>& score) {
  std::vector<MidiEvent> out;
  add_setup(out);
  std::set<int> piano_bars;
  for (const NoteEvent& e : score) {
    if (!is_sampled(e.instrument)) continue;
    const bool piano = e.instrument == Instrument::piano;
    const int channel = !piano ? drum_channel : e.melody ? right_hand_channel : left_hand_channel;
    const int key = piano ? e.pitch : crash_key;
    const double start = std::max(onset_time(e.start_beat), 0.0);
    out.push_back({start, channel, MidiKind::note_on, key, midi_velocity(e.velocity)});
    out.push_back({onset_time(e.start_beat + e.length_beats), channel, MidiKind::note_off, key, 0});
    if (piano) piano_bars.insert(static_cast<int>(std::floor(e.start_beat / beats_per_bar)));
  }
  add_pedal(out, piano_bars);
  std::stable_sort(out.begin(), out.end(), [](const MidiEvent& a, const MidiEvent& b) {
    if (a.time != b.time) return a.time < b.time;
    return order_of(a.kind, a.data1, a.data2) < order_of(b.kind, b.data1, b.data2);
  });
  return out;
}

}  // namespace compose
