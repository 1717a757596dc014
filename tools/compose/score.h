// The piece as data: sections with their chords, melody phrases and grooves, and the
// note events they expand into. Times are in beats of the show's beat grid (beat 0
// at music time 1.8848 s, four beats to a bar); rendering maps them to seconds.
#pragma once

#include <string>
#include <vector>

namespace compose {

enum class Instrument { piano, pad, bass, pluck, kick, clap, closed_hat, open_hat, crash, riser, boom };

struct NoteEvent {
  Instrument instrument;
  double start_beat;
  double length_beats;
  int pitch;        // MIDI note number; the kick's sets its sub-bass tail, other drums ignore it
  double velocity;  // 0..1
  bool melody;      // the lead piano line that the piano curve follows
};

// A melody written as "C5:2 Ab4:1 r:1 | ..." (note:beats, r = rest, | = bar line).
struct PhraseNote {
  int pitch;  // -1 for a rest
  double beats;
};
std::vector<PhraseNote> parse_phrase(const std::string& text);
int parse_note_name(const std::string& name);  // "Ab4" -> 68; -1 when malformed

// A chord symbol such as "Fm", "Dbmaj7", "Ab/C": pitch classes from the root up,
// and the pitch class of the bass note.
struct Chord {
  std::vector<int> tones;
  int bass;
};
Chord parse_chord(const std::string& symbol);

constexpr int beats_per_bar = 4;
constexpr int first_bar = -1;
constexpr int final_bar = 152;  // the closing chord
// Bars 105 to 129 replay bars 59 to 83, as the visuals replay their own middle part.
constexpr int reprise_first_bar = 105;
constexpr int reprise_source_bar = 59;
constexpr int reprise_bars = 25;

std::vector<NoteEvent> compose_score();
// Beats of the bass drum, in order.
std::vector<double> kick_beats(const std::vector<NoteEvent>& score);

}  // namespace compose
