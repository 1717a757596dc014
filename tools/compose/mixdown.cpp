// Bus routing: the sampled piano and crash from FluidSynth (with its reverb), the
// synthesised voices placed in the stereo field and sent to a Schroeder-Moorer reverb
// (eight damped combs and four all-passes per side, which FluidSynth's reverb cannot
// take), side-chain ducking from the kick, the piano's ping-pong delay, and the
// presence EQ of the whole mix.
#include "tools/compose/mixdown.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/compose/filters.h"
#include "tools/compose/music_clock.h"
#include "tools/compose/performance.h"
#include "tools/compose/sampled.h"
#include "tools/compose/voices.h"

namespace compose {

namespace {

struct Route {
  int bus;      // 0 drums, 1 ducked synths
  double gain;  // into the bus
  double send;  // into the reverb
  double pan;   // -1 left .. 1 right
};

enum Bus { drums_bus = 0, ducked_bus = 1, piano_bus = 2, cymbal_bus = 3, bus_count = 4 };

// Levels of the sampled buses and of the piano's echoes.
constexpr double piano_gain = 3.0, cymbal_gain = 1.0, echo_wet = 0.3;

// The low end (kick, bass, impact) stays in the middle; the rest is spread.
Route route_for(Instrument instrument) {
  switch (instrument) {
    case Instrument::pad: return {ducked_bus, 0.5, 0.35, 0.0};
    case Instrument::bass: return {ducked_bus, 0.33, 0.0, 0.0};
    case Instrument::pluck: return {ducked_bus, 0.2, 0.3, 0.0};
    case Instrument::kick: return {drums_bus, 0.62, 0.0, 0.0};
    case Instrument::clap: return {drums_bus, 1.1, 0.2, 0.0};
    case Instrument::closed_hat: return {drums_bus, 1.1, 0.05, 0.35};
    case Instrument::open_hat: return {drums_bus, 0.7, 0.08, -0.35};
    case Instrument::riser: return {drums_bus, 0.45, 0.3, 0.0};
    case Instrument::boom: return {drums_bus, 0.7, 0.1, 0.0};
    case Instrument::piano:
    case Instrument::crash: break;  // sampled
  }
  return {drums_bus, 0.0, 0.0, 0.0};
}

// Plucks alternate sides by sixteenth, as a stereo arpeggiator plays them; the pad's
// chord tones fan out from left to right by pitch over its bass note in the middle.
double pan_for(const NoteEvent& e) {
  if (e.instrument == Instrument::pluck) return std::llround(e.start_beat * 4) % 2 ? 0.7 : -0.7;
  if (e.instrument == Instrument::pad && e.pitch >= 53) return std::clamp((e.pitch - 58.5) / 8.0, -0.65, 0.65);
  return route_for(e.instrument).pan;
}

Clip make_clip(const NoteEvent& e, double seconds, std::uint64_t seed) {
  switch (e.instrument) {
    case Instrument::pad: return pad_note(seconds, e.pitch, e.velocity, seed);
    case Instrument::bass: return bass_note(seconds, e.pitch, e.velocity);
    case Instrument::pluck: return pluck_note(seconds, e.pitch, e.velocity, seed);
    case Instrument::kick: return kick_hit(e.velocity, e.pitch);
    case Instrument::clap: return clap_hit(e.velocity, seed);
    case Instrument::closed_hat: return hat_hit(e.velocity, false, seed);
    case Instrument::open_hat: return hat_hit(e.velocity, true, seed);
    case Instrument::riser: return riser_sweep(seconds, e.velocity, seed);
    case Instrument::boom: return boom_hit(e.velocity);
    case Instrument::piano:
    case Instrument::crash: break;  // sampled
  }
  return Clip(0.01);
}

std::size_t sample_at(double seconds) { return static_cast<std::size_t>(std::llround(seconds * sample_rate)); }

// Ducks the synths under each kick: a 3 ms dip, recovering over about 130 ms.
void duck_under_kicks(Mix& bus, const std::vector<NoteEvent>& score) {
  std::vector<std::pair<std::size_t, double>> kicks;
  for (const NoteEvent& e : score)
    if (e.instrument == Instrument::kick) kicks.push_back({sample_at(onset_time(e.start_beat)), e.velocity});
  std::sort(kicks.begin(), kicks.end());
  std::size_t next = 0;
  double depth = 0;
  std::size_t since = 0;
  for (std::size_t i = 0; i < bus.frames(); ++i) {
    while (next < kicks.size() && kicks[next].first <= i) depth = 0.65 * kicks[next++].second, since = i;
    if (depth == 0) continue;
    double x = static_cast<double>(i - since) / sample_rate;
    double dip = x < 0.003 ? x / 0.003 : std::exp(-(x - 0.003) / 0.13);
    float g = static_cast<float>(1.0 - depth * dip);
    bus.left[i] *= g;
    bus.right[i] *= g;
  }
}

// Ping-pong echo at three eighths of a 135 BPM beat, darkened on each repeat.
void add_ping_pong(Mix& bus, double wet) {
  const std::size_t d = sample_at(0.75 * 60.0 / 135.0);
  std::vector<float> tap_l(bus.frames(), 0.f), tap_r(bus.frames(), 0.f);
  double tone = 0;
  for (std::size_t i = d; i < bus.frames(); ++i) {
    double in = 0.5 * (bus.left[i - d] + bus.right[i - d]) + 0.38 * tap_r[i - d];
    tone += (in - tone) * 0.35;
    tap_l[i] = static_cast<float>(tone);
    tap_r[i] = tap_l[i - d];
  }
  for (std::size_t i = 0; i < bus.frames(); ++i) {
    bus.left[i] += static_cast<float>(wet * tap_l[i]);
    bus.right[i] += static_cast<float>(wet * tap_r[i]);
  }
}

class Comb {
 public:
  explicit Comb(std::size_t length) : buffer_(length, 0.0) {}
  double tick(double in, double feedback, double damp) {
    double out = buffer_[index_];
    store_ = out * (1 - damp) + store_ * damp;
    buffer_[index_] = in + store_ * feedback;
    if (++index_ == buffer_.size()) index_ = 0;
    return out;
  }

 private:
  std::vector<double> buffer_;
  std::size_t index_ = 0;
  double store_ = 0;
};

class Allpass {
 public:
  explicit Allpass(std::size_t length) : buffer_(length, 0.0) {}
  double tick(double in) {
    double delayed = buffer_[index_];
    buffer_[index_] = in + delayed * 0.5;
    if (++index_ == buffer_.size()) index_ = 0;
    return delayed - in;
  }

 private:
  std::vector<double> buffer_;
  std::size_t index_ = 0;
};

void add_reverb(Mix& out, const std::vector<float>& send, double wet) {
  static const std::size_t combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const std::size_t allpasses[4] = {556, 441, 341, 225};
  const std::size_t spread = 23;
  std::vector<Comb> cl, cr;
  std::vector<Allpass> al, ar;
  for (std::size_t c : combs) cl.emplace_back(c), cr.emplace_back(c + spread);
  for (std::size_t a : allpasses) al.emplace_back(a), ar.emplace_back(a + spread);
  double high_pass = 0;
  for (std::size_t i = 0; i < send.size(); ++i) {
    high_pass += (send[i] - high_pass) * 0.028;  // keep the low end out of the tail
    double in = (send[i] - high_pass) * 0.015;
    double l = 0, r = 0;
    for (int k = 0; k < 8; ++k) l += cl[k].tick(in, 0.86, 0.25), r += cr[k].tick(in, 0.86, 0.25);
    for (int k = 0; k < 4; ++k) l = al[k].tick(l), r = ar[k].tick(r);
    out.left[i] += static_cast<float>(wet * l);
    out.right[i] += static_cast<float>(wet * r);
  }
}

Mix silent_mix(std::size_t frames) { return Mix{std::vector<float>(frames, 0.f), std::vector<float>(frames, 0.f)}; }

// Constant-power gains for a pan position.
std::pair<double, double> pan_gains(double pan) {
  const double angle = (pan + 1) * M_PI / 4;
  return {std::cos(angle) * std::sqrt(2.0), std::sin(angle) * std::sqrt(2.0)};
}

void place_synthesised(const std::vector<NoteEvent>& score, std::vector<Mix>& buses, std::vector<float>& send) {
  const std::size_t frames = send.size();
  for (std::size_t index = 0; index < score.size(); ++index) {
    const NoteEvent& e = score[index];
    if (is_sampled(e.instrument)) continue;
    double start = onset_time(e.start_beat);
    double length = onset_time(e.start_beat + e.length_beats) - start;
    std::size_t at = sample_at(std::max(start, 0.0));
    if (at >= frames) continue;
    Clip clip = make_clip(e, length, 1000003ull * (index + 1));
    Route route = route_for(e.instrument);
    auto [gl, gr] = pan_gains(pan_for(e));
    Mix& bus = buses[route.bus];
    std::size_t count = std::min(clip.frames(), frames - at);
    for (std::size_t i = 0; i < count; ++i) {
      bus.left[at + i] += static_cast<float>(route.gain * gl * clip.left[i]);
      bus.right[at + i] += static_cast<float>(route.gain * gr * clip.right[i]);
      send[at + i] += static_cast<float>(route.send * route.gain * 0.5 * (clip.left[i] + clip.right[i]));
    }
  }
}

// The piano's two hands, and apart from them the crash, so that only the piano echoes.
Mix render_sampled_part(const std::vector<MidiEvent>& all, bool cymbals, std::size_t frames) {
  std::vector<MidiEvent> part;
  for (const MidiEvent& e : all)
    if ((e.channel == drum_channel) == cymbals) part.push_back(e);
  Mix out;
  std::string error;
  if (!render_sampled(part, frames, out, error)) throw std::runtime_error(error);
  return out;
}

void equalise(Mix& mix, const std::vector<Biquad>& design) {
  for (std::vector<float>* channel : {&mix.left, &mix.right}) {
    std::vector<Biquad> stages = design;
    for (float& x : *channel) {
      double y = x;
      for (Biquad& stage : stages) y = stage.tick(y);
      x = static_cast<float>(y);
    }
  }
}

// The piano's left hand crowds the low mids: a cut there leaves room for the pad.
const std::vector<Biquad> piano_tone = {peaking_eq(420.0, 1.0, -4.0, sample_rate)};
// Presence of the whole mix: a lift around 5 kHz and a shelf above 9 kHz, with a
// small dip at 2 kHz where the claps and the piano's attacks would turn harsh.
const std::vector<Biquad> presence = {peaking_eq(2000.0, 1.4, -1.2, sample_rate),
                                      peaking_eq(5000.0, 0.9, 3.0, sample_rate), high_shelf(9000.0, 2.0, sample_rate)};

void add_scaled(Mix& to, const Mix& from, double gain) {
  for (std::size_t i = 0; i < to.frames(); ++i)
    to.left[i] += static_cast<float>(gain * from.left[i]), to.right[i] += static_cast<float>(gain * from.right[i]);
}

}  // namespace

Mix render_mix(const std::vector<NoteEvent>& score, double seconds) {
  const std::size_t frames = sample_at(seconds);
  std::vector<Mix> buses(bus_count, silent_mix(frames));
  std::vector<float> send(frames, 0.f);
  place_synthesised(score, buses, send);
  const std::vector<MidiEvent> played = performance(score);
  buses[piano_bus] = render_sampled_part(played, false, frames);
  buses[cymbal_bus] = render_sampled_part(played, true, frames);
  duck_under_kicks(buses[ducked_bus], score);
  equalise(buses[piano_bus], piano_tone);
  add_ping_pong(buses[piano_bus], echo_wet);
  Mix mix = silent_mix(frames);
  add_scaled(mix, buses[drums_bus], 1.0);
  add_scaled(mix, buses[ducked_bus], 1.0);
  add_scaled(mix, buses[piano_bus], piano_gain);
  add_scaled(mix, buses[cymbal_bus], cymbal_gain);
  add_reverb(mix, send, 2.5);
  equalise(mix, presence);
  return mix;
}

}  // namespace compose

