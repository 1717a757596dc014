// The composition of the soundtrack: an F minor piece in sections that follow the
// show (quiet intro, build, full beat, variation, breakdown, return, climax, reprise,
// outro, half-time coda). Each section names its chords, its melody phrases and its
// groove; this file expands them into note events.
#include "tools/compose/score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "tools/compose/prng.h"

namespace compose {

namespace {

enum class Drums { none, build, full, groove, halftime };
enum class Bass { none, held, offbeat, rolling, halftime };

struct Section {
  int first_bar;
  int bars;
  const char* progression;          // chord symbols, one per bar, cycled
  std::vector<const char*> melody;  // phrases laid end to end from the first bar
  double melody_velocity;
  bool doubled;  // melody doubled an octave below
  Drums drums;
  Bass bass;
  bool pluck;     // sixteenth-note arpeggio synth
  bool broken;    // left-hand broken chords on the piano
  double energy;  // 0..1, brightness and level of the pads
  double melody_fade = 0.0;  // how much the melody softens by the section's end
};

// Melody phrases, four bars unless noted.
const char* const rest_phrase = "r:4 | r:4 | r:4 | r:4";
const char* const theme_a = "C5:2 Ab4:1 G4:1 | F4:3 Ab4:1 | Eb5:2 C5:1 Db5:1 | C5:1.5 Bb4:0.5 G4:2";
const char* const theme_b = "C5:1 F5:1 Eb5:1 C5:1 | Db5:2 C5:1 Ab4:1 | C5:1.5 Bb4:0.5 Ab4:1 G4:1 | G4:2 r:1 C5:1";
const char* const lift_a = "Ab4:0.5 Bb4:0.5 C5:1 F5:1.5 Eb5:0.5 | Eb5:1 Db5:1 Bb4:2 | C5:0.5 Db5:0.5 Eb5:1 F5:1 Ab5:1 | G5:3 r:1";
const char* const lift_b = "Ab5:1.5 G5:0.5 F5:1 Db5:1 | Eb5:1.5 F5:0.5 G5:1 Bb4:1 | C5:1 Ab4:1 F4:1 C5:1 | Bb4:2 G4:2";
const char* const peak_a = "F5:0.75 G5:0.75 Ab5:0.5 C6:2 | Bb5:0.75 Ab5:0.75 F5:0.5 Ab5:2 | Eb5:0.75 F5:0.75 G5:0.5 Ab5:1 C6:1 | Bb5:1.5 G5:0.5 Eb5:2";
const char* const peak_b = "C6:1.5 Bb5:0.5 Ab5:1 G5:1 | F5:1.5 Ab5:0.5 Db6:2 | C6:0.75 Bb5:0.75 Ab5:0.5 Eb5:2 | G5:1 Ab5:1 Bb5:2";
const char* const climb = "F5:1 Ab5:1 Bb5:1 C6:1 | Db6:1 C6:1 Bb5:1 G5:1";  // two bars
const char* const ascent = "F5:1 Ab5:1 Bb5:1 C6:1 | Db6:1 C6:1 Bb5:1 G5:1 | G5:4";  // three bars
const char* const calm_a = "F5:3 Eb5:1 | C5:4 | Db5:2 F5:1 Ab4:1 | G4:4";
const char* const calm_b = "Ab5:2 G5:1 F5:1 | Eb5:3 C5:1 | Db5:1.5 C5:0.5 Bb4:1 Ab4:1 | Bb4:2 G4:2";
const char* const calm_turn = "C5:2 Db5:1 Eb5:1 | F5:2 G5:2";  // two bars
const char* const farewell_a = "F5:2 Eb5:1 Db5:1 | C5:3 Ab4:1 | Bb4:2 Db5:1 C5:1 | C5:2 E5:1 G5:1";
const char* const farewell_b = "Ab5:2 G5:1 F5:1 | Eb5:2 C5:2 | Db5:2 F5:1 Db5:1 | E5:4";
const char* const farewell_end = "F5:2 Eb5:1 Db5:1 | C5:4 | Bb4:2 Db5:2 | C5:4";
const char* const coda_end = "C5:2 Ab4:1 G4:1 | F4:4";  // two bars
const char* const turn_bar = "Bb4:2 G4:2";              // one bar

std::vector<Section> sections() {
  return {
      {-1, 8, "Fm Db Ab Eb", {rest_phrase, theme_a}, 0.42, false, Drums::none, Bass::none, false, true, 0.15},
      {7, 8, "Fm Db Ab Eb", {theme_b, theme_a}, 0.55, false, Drums::build, Bass::offbeat, false, true, 0.4},
      {15, 8, "Fm Db Ab Eb", {theme_a, theme_b}, 0.7, true, Drums::full, Bass::offbeat, false, false, 0.65},
      {23, 16, "Db Eb Fm Cm", {lift_a, lift_b}, 0.72, false, Drums::groove, Bass::rolling, true, false, 0.7},
      {39, 9, "Fm Db Ab Eb Fm Db Ab Eb Eb", {theme_b, theme_a, turn_bar}, 0.8, true, Drums::full, Bass::offbeat, true, false, 0.8},
      {48, 10, "Dbmaj7 Ab/C Bbm7 Eb Dbmaj7 Ab/C Bbm7 Eb Db Eb", {calm_a, calm_b, calm_turn}, 0.6, false, Drums::none, Bass::held, false, true, 0.35},
      {58, 10, "Fm Db Ab Eb Fm Db Ab Eb Db Eb", {theme_a, theme_b, climb}, 0.78, true, Drums::full, Bass::offbeat, true, false, 0.8},
      {68, 8, "Db Eb Fm Cm", {lift_a, lift_b}, 0.82, true, Drums::groove, Bass::rolling, true, false, 0.85},
      {76, 8, "Fm Db Ab Eb", {theme_b, theme_a}, 0.75, false, Drums::full, Bass::offbeat, false, true, 0.7},
      {84, 8, "Db Eb Fm Cm", {lift_b, lift_a}, 0.78, false, Drums::groove, Bass::rolling, true, false, 0.8},
      {92, 3, "Db Eb Eb", {ascent}, 0.8, false, Drums::build, Bass::held, false, false, 0.75},
      {95, 10, "Fm Db Ab Eb Fm Db Ab Eb Db Eb", {peak_a, peak_b, climb}, 0.92, true, Drums::full, Bass::rolling, true, false, 1.0},
      {130, 16, "Db Ab Bbm C", {farewell_a, farewell_b, farewell_a, farewell_end}, 0.62, false, Drums::none, Bass::held, false, true, 0.3, 0.35},
      {146, 7, "Fm Db Ab Eb Fm Db Fm", {theme_a, coda_end, "F5:4"}, 0.45, false, Drums::halftime, Bass::halftime, false, true, 0.25, 0.3},
  };
}

// Bars that open with a crash; those in `booms` also get a low impact.
const int crash_bars[] = {15, 23, 31, 39, 58, 68, 76, 84, 95, 99, 105, 146};
const int boom_bars[] = {58, 68, 95};
// Noise risers: first bar and length in bars, ending where a new part lands.
const int riser_spans[][2] = {{13, 2}, {56, 2}, {66, 2}, {93, 2}};

class ScoreWriter {
 public:
  explicit ScoreWriter(std::vector<NoteEvent>& out) : out_(out), prng_(7) {}

  void note(Instrument instrument, double beat, double length, int pitch, double velocity,
            bool melody = false) {
    double v = std::clamp(velocity * (1.0 + 0.05 * prng_.bipolar()), 0.0, 1.0);
    out_.push_back({instrument, beat, length, pitch, v, melody});
  }
  void drum(Instrument instrument, double beat, double velocity) { note(instrument, beat, 0.25, 0, velocity); }

 private:
  std::vector<NoteEvent>& out_;
  Prng prng_;
};

int pitch_in_range(int pitch_class, int low) { return low + ((pitch_class - low % 12 + 24) % 12); }

std::vector<std::string> split_words(const char* text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<int> chord_pitches(const Chord& chord, int low, int octaves) {
  std::vector<int> pitches;
  for (int o = 0; o < octaves; ++o)
    for (int pc : chord.tones) pitches.push_back(pitch_in_range(pc, low) + 12 * o);
  std::sort(pitches.begin(), pitches.end());
  return pitches;
}

void write_melody(ScoreWriter& w, const Section& s) {
  double beat = s.first_bar * beats_per_bar;
  const double end = (s.first_bar + s.bars) * beats_per_bar;
  for (const char* text : s.melody) {
    for (const PhraseNote& n : parse_phrase(text)) {
      if (beat >= end) return;
      if (n.pitch >= 0) {
        double in_bar = beat - beats_per_bar * static_cast<int>(std::floor(beat / beats_per_bar));
        double accent = in_bar < 0.01 ? 1.0 : (in_bar - std::floor(in_bar) < 0.01 ? 0.9 : 0.8);
        double fade = 1.0 - s.melody_fade * (beat - s.first_bar * beats_per_bar) / (s.bars * beats_per_bar);
        double v = s.melody_velocity * accent * fade * (n.beats >= 2 ? 1.05 : 1.0);
        w.note(Instrument::piano, beat, n.beats * 0.95, n.pitch, v, true);
        if (s.doubled) w.note(Instrument::piano, beat, n.beats * 0.95, n.pitch - 12, v * 0.55);
      }
      beat += n.beats;
    }
  }
}

void write_harmony(ScoreWriter& w, const Section& s, int bar, const Chord& chord) {
  const double b0 = bar * beats_per_bar;
  const bool last = bar == final_bar;
  const double pad_length = last ? 8.0 : beats_per_bar + 0.25;
  double pad_v = 0.35 + 0.35 * s.energy;
  for (int p : chord_pitches(chord, 53, 1)) w.note(Instrument::pad, b0, pad_length, p, pad_v);
  w.note(Instrument::pad, b0, pad_length, pitch_in_range(chord.bass, 41), pad_v * 0.8);

  if (s.broken) {
    std::vector<int> tones = chord_pitches(chord, 48, 2);
    tones.insert(tones.begin(), pitch_in_range(chord.bass, 36));
    const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    int steps = last ? 1 : 8;
    for (int i = 0; i < steps; ++i) {
      int p = tones[order[i] % tones.size()];
      double v = (i == 0 ? 0.42 : 0.3) * (0.6 + 0.5 * s.energy);
      w.note(Instrument::piano, b0 + i * 0.5, last ? 8.0 : 0.9, p, v);
    }
    if (last)  // the closing chord, rolled upward
      for (size_t i = 1; i < tones.size(); ++i) w.note(Instrument::piano, b0 + 0.12 * i, 8.0, tones[i], 0.3);
  }

  if (s.pluck) {
    std::vector<int> tones = chord_pitches(chord, 65, 2);
    const int order[16] = {0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 3, 2, 1, 2, 3};
    for (int i = 0; i < 16; ++i) {
      double v = (i % 4 == 0 ? 0.6 : (i % 2 == 0 ? 0.45 : 0.35)) * (0.6 + 0.4 * s.energy);
      w.note(Instrument::pluck, b0 + i * 0.25, 0.22, tones[order[i] % tones.size()], v);
    }
  }
}

void write_bass(ScoreWriter& w, const Section& s, int bar, const Chord& chord) {
  const double b0 = bar * beats_per_bar;
  const int root = pitch_in_range(chord.bass, 28);
  const int high_root = root + 12;  // the moving lines sit an octave up, clear of the kick's sub
  switch (s.bass) {
    case Bass::none: break;
    case Bass::held: w.note(Instrument::bass, b0, bar == final_bar ? 8.0 : 3.9, root, 0.5); break;
    case Bass::offbeat:
      for (int beat = 0; beat < 4; ++beat)
        w.note(Instrument::bass, b0 + beat + 0.5, 0.42, beat == 3 && bar % 2 ? high_root + 12 : high_root, 0.8);
      break;
    case Bass::rolling:
      for (int step = 0; step < 16; ++step)
        if (step % 4 != 0)
          w.note(Instrument::bass, b0 + step * 0.25, 0.2, step % 4 == 3 && step > 8 ? high_root + 12 : high_root,
                 step % 4 == 2 ? 0.8 : 0.62);
      break;
    case Bass::halftime:
      w.note(Instrument::bass, b0, bar == final_bar ? 8.0 : 1.9, root, 0.55);
      if (bar != final_bar) w.note(Instrument::bass, b0 + 2.5, 1.3, root, 0.45);
      break;
  }
}

void write_fill(ScoreWriter& w, double b0, int sixteenths, double loudness) {
  for (int i = 0; i < sixteenths; ++i) {
    double rise = static_cast<double>(i + 1) / sixteenths;
    w.drum(Instrument::clap, b0 + 4.0 - sixteenths * 0.25 + i * 0.25, loudness * (0.35 + 0.5 * rise));
  }
}

void write_drums(ScoreWriter& w, const Section& s, int bar, const Chord& chord) {
  const int sub = pitch_in_range(chord.bass, 24);  // the kick's tail, 32 to 62 Hz
  const double b0 = bar * beats_per_bar;
  const int index = bar - s.first_bar;
  const bool phrase_end = index % 4 == 3;
  const bool section_end = index == s.bars - 1;
  switch (s.drums) {
    case Drums::none: return;
    case Drums::build: {
      double r = static_cast<double>(index + 1) / s.bars;
      for (int beat = 0; beat < 4; ++beat) w.note(Instrument::kick, b0 + beat, 0.5, sub, 0.3 + 0.6 * r);
      for (int step = 0; step < 16; ++step) {
        bool eighth = step % 2 == 0;
        if (eighth || r > 0.5) w.drum(Instrument::closed_hat, b0 + step * 0.25, (eighth ? 0.25 : 0.15) + 0.45 * r);
      }
      if (r > 0.45) {
        w.drum(Instrument::clap, b0 + 1, 0.2 + 0.6 * r);
        w.drum(Instrument::clap, b0 + 3, 0.2 + 0.6 * r);
      }
      if (section_end) write_fill(w, b0, 8, 0.9);
      return;
    }
    case Drums::full:
    case Drums::groove: {
      const bool groove = s.drums == Drums::groove;
      for (int beat = 0; beat < 4; ++beat) w.note(Instrument::kick, b0 + beat, 0.5, sub, beat == 0 ? 0.95 : 0.88);
      w.drum(Instrument::clap, b0 + 1, 0.8);
      w.drum(Instrument::clap, b0 + 3, 0.85);
      if (groove) w.drum(Instrument::clap, b0 + 3.75, 0.25);  // ghost note
      for (int step = 0; step < 16; ++step) {
        double v = step % 4 == 2 ? 0.0 : (step % 2 == 0 ? 0.5 : 0.32);
        if (groove && step % 4 == 1) v = 0.42;
        if (v > 0) w.drum(Instrument::closed_hat, b0 + step * 0.25, v);
      }
      for (int beat = 0; beat < 4; ++beat) w.drum(Instrument::open_hat, b0 + beat + 0.5, groove ? 0.5 : 0.42);
      if (section_end) write_fill(w, b0, 8, 1.0);
      else if (phrase_end) write_fill(w, b0, 4, 0.8);
      return;
    }
    case Drums::halftime: {
      if (bar == final_bar) return;
      double fade = 1.0 - 0.5 * index / s.bars;
      w.note(Instrument::kick, b0, 0.5, sub, 0.6 * fade);
      w.note(Instrument::kick, b0 + 2.5, 0.5, sub, 0.35 * fade);
      w.drum(Instrument::clap, b0 + 1, 0.35 * fade);
      w.drum(Instrument::clap, b0 + 3, 0.4 * fade);
      for (int step = 0; step < 8; ++step)
        w.drum(Instrument::closed_hat, b0 + step * 0.5, (step % 2 ? 0.18 : 0.26) * fade);
      return;
    }
  }
}

void write_effects(ScoreWriter& w) {
  for (int bar : crash_bars) w.drum(Instrument::crash, bar * beats_per_bar, bar == 146 ? 0.45 : 0.85);
  for (int bar : boom_bars) w.note(Instrument::boom, bar * beats_per_bar, 4.0, 29, 0.9);
  for (const auto& span : riser_spans)
    w.note(Instrument::riser, span[0] * beats_per_bar, span[1] * beats_per_bar, 0, 0.8);
}

// Bars 105 to 129 repeat bars 59 to 83 note for note.
void write_reprise(std::vector<NoteEvent>& events) {
  const double from = reprise_source_bar * beats_per_bar;
  const double to = (reprise_source_bar + reprise_bars) * beats_per_bar;
  const double shift = (reprise_first_bar - reprise_source_bar) * beats_per_bar;
  std::vector<NoteEvent> copies;
  for (const NoteEvent& e : events)
    if (e.start_beat >= from && e.start_beat < to) {
      copies.push_back(e);
      copies.back().start_beat += shift;
    }
  events.insert(events.end(), copies.begin(), copies.end());
}

}  // namespace

int parse_note_name(const std::string& name) {
  static const int letters[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (name.size() < 2) return -1;
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  if (letter < 'A' || letter > 'G') return -1;
  int pc = letters[letter - 'A'];
  size_t i = 1;
  if (name[i] == 'b') pc -= 1, ++i;
  else if (name[i] == '#') pc += 1, ++i;
  if (i >= name.size() || !std::isdigit(static_cast<unsigned char>(name[i])) || i + 1 != name.size()) return -1;
  return 12 * (name[i] - '0' + 1) + pc;
}

std::vector<PhraseNote> parse_phrase(const std::string& text) {
  std::vector<PhraseNote> notes;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    if (word == "|") continue;
    size_t colon = word.find(':');
    if (colon == std::string::npos) continue;
    std::string name = word.substr(0, colon);
    double beats = std::stod(word.substr(colon + 1));
    notes.push_back({name == "r" ? -1 : parse_note_name(name), beats});
  }
  return notes;
}

namespace {
// Pitch class of the note name at the front of `text` ("Ab" in "Abmaj7"); `used` is
// how many characters it took.
int leading_pitch_class(const std::string& text, size_t& used) {
  used = text.size() > 1 && (text[1] == 'b' || text[1] == '#') ? 2 : 1;
  return parse_note_name(text.substr(0, used) + "4") % 12;
}
}  // namespace

Chord parse_chord(const std::string& symbol) {
  size_t slash = symbol.find('/');
  std::string main = symbol.substr(0, slash);
  size_t used = 0;
  int root = leading_pitch_class(main, used);
  std::string quality = main.substr(used);
  std::vector<int> intervals = {0, 4, 7};
  if (quality == "m") intervals = {0, 3, 7};
  else if (quality == "maj7") intervals = {0, 4, 7, 11};
  else if (quality == "m7") intervals = {0, 3, 7, 10};
  else if (quality == "sus4") intervals = {0, 5, 7};
  Chord chord;
  for (int i : intervals) chord.tones.push_back((root + i) % 12);
  chord.bass = slash == std::string::npos ? root : leading_pitch_class(symbol.substr(slash + 1), used);
  return chord;
}

std::vector<NoteEvent> compose_score() {
  std::vector<NoteEvent> events;
  ScoreWriter w(events);
  for (const Section& s : sections()) {
    std::vector<std::string> chords = split_words(s.progression);
    for (int i = 0; i < s.bars; ++i) {
      int bar = s.first_bar + i;
      Chord chord = parse_chord(chords[i % chords.size()]);
      write_harmony(w, s, bar, chord);
      write_bass(w, s, bar, chord);
      write_drums(w, s, bar, chord);
    }
    write_melody(w, s);
  }
  write_effects(w);
  write_reprise(events);
  std::stable_sort(events.begin(), events.end(),
                   [](const NoteEvent& a, const NoteEvent& b) { return a.start_beat < b.start_beat; });
  return events;
}

std::vector<double> kick_beats(const std::vector<NoteEvent>& score) {
  std::vector<double> beats;
  for (const NoteEvent& e : score)
    if (e.instrument == Instrument::kick) beats.push_back(e.start_beat);
  std::sort(beats.begin(), beats.end());
  return beats;
}

}  // namespace compose
