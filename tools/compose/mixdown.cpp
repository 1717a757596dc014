// Bus routing, side-chain ducking from the kick, the piano's ping-pong delay and a
// Schroeder-Moorer reverb (eight damped combs and four all-passes per side).
#include "tools/compose/mixdown.h"

#include <algorithm>
#include <cmath>

#include "tools/compose/music_clock.h"
#include "tools/compose/voices.h"

namespace compose {

namespace {

struct Route {
  int bus;      // 0 drums, 1 ducked synths, 2 piano
  double gain;  // into the bus
  double send;  // into the reverb
};

enum Bus { drums_bus = 0, ducked_bus = 1, piano_bus = 2, bus_count = 3 };

Route route_for(Instrument instrument) {
  switch (instrument) {
    case Instrument::piano: return {piano_bus, 1.3, 0.3};
    case Instrument::pad: return {ducked_bus, 0.5, 0.35};
    case Instrument::bass: return {ducked_bus, 0.33, 0.0};
    case Instrument::pluck: return {ducked_bus, 0.2, 0.3};
    case Instrument::kick: return {drums_bus, 0.75, 0.0};
    case Instrument::clap: return {drums_bus, 1.1, 0.2};
    case Instrument::closed_hat: return {drums_bus, 1.1, 0.05};
    case Instrument::open_hat: return {drums_bus, 0.7, 0.08};
    case Instrument::crash: return {drums_bus, 0.9, 0.2};
    case Instrument::riser: return {drums_bus, 0.45, 0.3};
    case Instrument::boom: return {drums_bus, 0.7, 0.1};
  }
  return {drums_bus, 0.0, 0.0};
}

Clip make_clip(const NoteEvent& e, double seconds, std::uint64_t seed) {
  switch (e.instrument) {
    case Instrument::piano: return piano_note(seconds, e.pitch, e.velocity, seed);
    case Instrument::pad: return pad_note(seconds, e.pitch, e.velocity, seed);
    case Instrument::bass: return bass_note(seconds, e.pitch, e.velocity);
    case Instrument::pluck: return pluck_note(seconds, e.pitch, e.velocity, seed);
    case Instrument::kick: return kick_hit(e.velocity, e.pitch);
    case Instrument::clap: return clap_hit(e.velocity, seed);
    case Instrument::closed_hat: return hat_hit(e.velocity, false, seed);
    case Instrument::open_hat: return hat_hit(e.velocity, true, seed);
    case Instrument::crash: return crash_hit(e.velocity, seed);
    case Instrument::riser: return riser_sweep(seconds, e.velocity, seed);
    case Instrument::boom: return boom_hit(e.velocity);
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

}  // namespace

Mix render_mix(const std::vector<NoteEvent>& score, double seconds) {
  const std::size_t frames = sample_at(seconds);
  std::vector<Mix> buses(bus_count, silent_mix(frames));
  std::vector<float> send(frames, 0.f);
  for (std::size_t index = 0; index < score.size(); ++index) {
    const NoteEvent& e = score[index];
    double start = onset_time(e.start_beat);
    double length = onset_time(e.start_beat + e.length_beats) - start;
    std::size_t at = sample_at(std::max(start, 0.0));
    if (at >= frames) continue;
    Clip clip = make_clip(e, length, 1000003ull * (index + 1));
    Route route = route_for(e.instrument);
    Mix& bus = buses[route.bus];
    std::size_t count = std::min(clip.frames(), frames - at);
    for (std::size_t i = 0; i < count; ++i) {
      bus.left[at + i] += static_cast<float>(route.gain * clip.left[i]);
      bus.right[at + i] += static_cast<float>(route.gain * clip.right[i]);
      send[at + i] += static_cast<float>(route.send * route.gain * 0.5 * (clip.left[i] + clip.right[i]));
    }
  }
  duck_under_kicks(buses[ducked_bus], score);
  add_ping_pong(buses[piano_bus], 0.16);
  Mix mix = silent_mix(frames);
  for (const Mix& bus : buses)
    for (std::size_t i = 0; i < frames; ++i) mix.left[i] += bus.left[i], mix.right[i] += bus.right[i];
  add_reverb(mix, send, 2.5);
  return mix;
}

}  // namespace compose
