// The score as a pianist and a drummer would play it on MIDI instruments: the piano's
// two hands on two channels with their own pan, velocities from the score's
// dynamics, the sustain pedal changed with each chord, and the crash from the kit.
#pragma once

#include <vector>

#include "tools/compose/score.h"

namespace compose {

enum class MidiKind { program, control, note_off, note_on };

struct MidiEvent {
  double time;  // music time in seconds
  int channel;
  MidiKind kind;
  int data1;  // program, controller or key
  int data2;  // controller value or velocity
};

constexpr int right_hand_channel = 0;  // the lead melody
constexpr int left_hand_channel = 1;   // broken chords, the octave doubling, the closing chord
constexpr int drum_channel = 9;
constexpr int sustain_pedal = 64, pan_control = 10, reverb_send = 91, chorus_send = 93;
constexpr int crash_key = 49;  // General MIDI "Crash Cymbal 1"

// Instruments the soundfont plays; the others are synthesised.
bool is_sampled(Instrument instrument);

// Score velocity 0..1 to MIDI 1..127.
int midi_velocity(double velocity);

// The set-up messages at time 0, then every note and pedal change, ordered by time
// (at equal times: set-up, note-offs, pedal, note-ons).
std::vector<MidiEvent> performance(const std::vector<NoteEvent>& score);

}  // namespace compose
