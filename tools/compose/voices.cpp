// Synthesis of the soundtrack's electronic instruments: detuned-saw pads, sub bass,
// plucks, and synthesised drums (pitch-swept kick, noise clap, metallic hats), a
// noise riser and a low impact. The piano and the crash are sampled (sampled.h).
#include "tools/compose/voices.h"

#include <algorithm>
#include <cmath>

#include "tools/compose/prng.h"

namespace compose {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double dt = 1.0 / sample_rate;

// Topology-preserving state-variable filter (low, band and high outputs).
class Svf {
 public:
  void set(double cutoff, double q) {
    double g = std::tan(pi * std::clamp(cutoff, 10.0, 0.45 * sample_rate) * dt);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
  }
  void tick(double v0) {
    double v3 = v0 - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    low = v2;
    band = v1;
    high = v0 - k_ * v1 - v2;
  }
  double low = 0, band = 0, high = 0;

 private:
  double ic1_ = 0, ic2_ = 0, a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1;
};

// Band-limited sawtooth (polyBLEP).
class Saw {
 public:
  Saw(double frequency, double phase) : phase_(phase), step_(frequency * dt) {}
  double tick() {
    double t = phase_;
    double v = 2 * t - 1;
    if (t < step_) {
      double x = t / step_;
      v -= x + x - x * x - 1;
    } else if (t > 1 - step_) {
      double x = (t - 1) / step_;
      v -= x * x + x + x + 1;
    }
    phase_ += step_;
    if (phase_ >= 1) phase_ -= 1;
    return v;
  }

 private:
  double phase_, step_;
};

// Six detuned square waves: the metallic body of the hats.
class Metal {
 public:
  double tick() {
    static const double ratios[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double sum = 0;
    for (int i = 0; i < 6; ++i) {
      phases_[i] += ratios[i] * 1.7 * dt;
      phases_[i] -= std::floor(phases_[i]);
      sum += phases_[i] < 0.5 ? 1.0 : -1.0;
    }
    return sum / 6.0;
  }

 private:
  double phases_[6] = {0, 0.1, 0.3, 0.5, 0.7, 0.9};
};

// Raised-cosine fade-in and fade-out at the clip's ends.
void shape_edges(Clip& clip, double attack, double release) {
  const std::size_t n = clip.frames();
  const std::size_t a = std::min(n, static_cast<std::size_t>(attack * sample_rate) + 1);
  const std::size_t r = std::min(n, static_cast<std::size_t>(release * sample_rate) + 1);
  for (std::size_t i = 0; i < a; ++i) {
    float g = static_cast<float>(0.5 - 0.5 * std::cos(pi * i / a));
    clip.left[i] *= g;
    clip.right[i] *= g;
  }
  for (std::size_t i = 0; i < r; ++i) {
    float g = static_cast<float>(0.5 - 0.5 * std::cos(pi * i / r));
    clip.left[n - 1 - i] *= g;
    clip.right[n - 1 - i] *= g;
  }
}

void set_frame(Clip& clip, std::size_t i, double left, double right) {
  clip.left[i] = static_cast<float>(left);
  clip.right[i] = static_cast<float>(right);
}

}  // namespace

Clip::Clip(double seconds)
    : left(static_cast<std::size_t>(std::max(seconds, 0.01) * sample_rate)), right(left.size()) {}

double note_frequency(int pitch) { return 440.0 * std::pow(2.0, (pitch - 69) / 12.0); }

Clip pad_note(double seconds, int pitch, double velocity, std::uint64_t seed) {
  Clip clip(seconds + 1.8);
  Prng prng(seed);
  const double f = note_frequency(pitch);
  const double cents[3] = {-11, 0, 9};
  Saw saws[3] = {Saw(f * std::pow(2.0, cents[0] / 1200), prng.uniform()), Saw(f, prng.uniform()),
                 Saw(f * std::pow(2.0, cents[2] / 1200), prng.uniform())};
  const double lfo_phase = prng.uniform() * 2 * pi;
  Svf fl, fr;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    if (i % 64 == 0) {
      double cutoff = (450 + 3000 * velocity * velocity) * (1 + 0.18 * std::sin(2 * pi * 0.13 * t + lfo_phase));
      fl.set(cutoff, 0.8);
      fr.set(cutoff * 1.05, 0.8);
    }
    double a = saws[0].tick(), b = saws[1].tick(), c = saws[2].tick();
    fl.tick(a + 0.35 * b);  // the outer saws apart on the two sides: a wide pad
    fr.tick(c + 0.35 * b);
    double env = t < 0.5 ? 0.5 - 0.5 * std::cos(pi * t / 0.5) : 1.0;
    if (t > seconds) env *= std::exp(-(t - seconds) / 0.35);
    double g = 0.22 * velocity * env;
    set_frame(clip, i, fl.low * g, fr.low * g);
  }
  shape_edges(clip, 0.01, 0.03);
  return clip;
}

Clip bass_note(double seconds, int pitch, double velocity) {
  Clip clip(seconds + 0.08);
  const double f = note_frequency(pitch);
  Saw saw(f, 0.5);
  Svf filter;
  double phase = 0;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    if (i % 16 == 0) filter.set(150 + 1300 * velocity * velocity * std::exp(-t / 0.09), 0.9);
    filter.tick(saw.tick());
    double sub = std::sin(2 * pi * phase);
    phase += f * dt;
    double env = std::min(1.0, t / 0.004) * (t > seconds ? std::exp(-(t - seconds) / 0.015) : 1.0);
    double v = (0.6 * sub + 0.5 * filter.low) * velocity * env;
    set_frame(clip, i, v, v);
  }
  shape_edges(clip, 0.004, 0.01);
  return clip;
}

Clip pluck_note(double seconds, int pitch, double velocity, std::uint64_t seed) {
  Clip clip(seconds + 0.2);
  Prng prng(seed);
  const double f = note_frequency(pitch);
  Saw a(f * 1.004, prng.uniform()), b(f * 0.996, prng.uniform());
  Svf fl, fr;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    if (i % 16 == 0) {
      double cutoff = 500 + 4500 * velocity * std::exp(-t / 0.07);
      fl.set(cutoff, 1.1);
      fr.set(cutoff, 1.1);
    }
    double sa = a.tick(), sb = b.tick();
    fl.tick(0.7 * sa + 0.3 * sb);
    fr.tick(0.3 * sa + 0.7 * sb);
    double env = std::exp(-t / 0.25) * (t > seconds ? std::exp(-(t - seconds) / 0.03) : 1.0);
    set_frame(clip, i, fl.low * velocity * env, fr.low * velocity * env);
  }
  shape_edges(clip, 0.002, 0.02);
  return clip;
}

Clip kick_hit(double velocity, int pitch) {
  Clip clip(0.55);
  const double tail = note_frequency(pitch);
  double phase = 0;
  Prng prng(11);
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    double f = tail + 100 * std::exp(-t / 0.008);
    phase += f * dt;
    double body = std::sin(2 * pi * phase) * (0.45 * std::exp(-t / 0.05) + 0.55 * std::exp(-t / 0.2));
    double click = prng.bipolar() * 0.2 * std::exp(-t / 0.0015);
    double v = std::tanh(1.6 * (body + click)) / std::tanh(1.6) * velocity;
    set_frame(clip, i, v, v);
  }
  shape_edges(clip, 0.0005, 0.03);
  return clip;
}

Clip clap_hit(double velocity, std::uint64_t seed) {
  Clip clip(0.45);
  Prng a(seed), b(seed + 1);
  Svf band_l, band_r;
  band_l.set(1300, 1.2);
  band_r.set(1250, 1.2);
  double phase = 0;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    double env = 0;
    for (double burst : {0.0, 0.010, 0.020})
      if (t >= burst) env = std::max(env, std::exp(-(t - burst) / 0.004));
    if (t >= 0.028) env = std::max(env, std::exp(-(t - 0.028) / 0.11));
    double na = a.bipolar(), nb = b.bipolar();
    band_l.tick(na);
    band_r.tick(nb);  // independent noise per side: a wide clap
    phase += 185 * dt;
    double body = std::sin(2 * pi * phase) * 0.35 * std::exp(-t / 0.045);
    set_frame(clip, i, (band_l.band * 1.6 * env + body) * velocity, (band_r.band * 1.6 * env + body) * velocity);
  }
  shape_edges(clip, 0.0005, 0.03);
  return clip;
}

Clip hat_hit(double velocity, bool open, std::uint64_t seed) {
  Clip clip(open ? 0.8 : 0.15);
  Prng prng(seed);
  Metal metal;
  Svf ring, hiss;
  ring.set(9500, 1.5);
  hiss.set(7000, 0.7);
  const double decay = open ? 0.2 : 0.03;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    ring.tick(metal.tick());
    hiss.tick(prng.bipolar());
    double v = (0.6 * ring.band + 0.5 * hiss.high) * std::exp(-t / decay) * velocity * 0.6;
    set_frame(clip, i, v * 0.8, v);
  }
  shape_edges(clip, 0.0005, 0.02);
  return clip;
}

Clip riser_sweep(double seconds, double velocity, std::uint64_t seed) {
  Clip clip(seconds);
  Prng a(seed), b(seed + 3);
  Svf fl, fr;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double x = i * dt / seconds;
    if (i % 32 == 0) {
      double cutoff = 250 * std::pow(8000.0 / 250.0, std::pow(x, 1.5));
      fl.set(cutoff, 2.5);
      fr.set(cutoff * 1.08, 2.5);
    }
    fl.tick(a.bipolar());
    fr.tick(b.bipolar());
    double g = x * x * velocity * 0.5;
    set_frame(clip, i, fl.band * g, fr.band * g);
  }
  shape_edges(clip, 0.05, 0.04);
  return clip;
}

Clip boom_hit(double velocity) {
  Clip clip(3.5);
  double phase = 0;
  for (std::size_t i = 0; i < clip.frames(); ++i) {
    double t = i * dt;
    phase += (38 + 40 * std::exp(-t / 0.08)) * dt;
    double v = std::sin(2 * pi * phase) * std::exp(-t / 1.1) * velocity * 0.7;
    set_frame(clip, i, v, v);
  }
  shape_edges(clip, 0.002, 0.05);
  return clip;
}

}  // namespace compose
