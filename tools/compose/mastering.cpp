// Loudness measurement, peak limiting, fade and sample conversion for the soundtrack.
// The K-weighting filters are derived for 44.1 kHz from their analogue prototypes.
#include "tools/compose/mastering.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "tools/compose/filters.h"
#include "tools/compose/prng.h"
#include "tools/compose/voices.h"

namespace compose {

namespace {

constexpr double pi = 3.14159265358979323846;

Biquad high_shelf_stage() {
  const double f0 = 1681.974450955533, gain_db = 3.999843853973347, q = 0.7071752369554196;
  double k = std::tan(pi * f0 / sample_rate);
  double vh = std::pow(10.0, gain_db / 20.0), vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad high_pass_stage() {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  double k = std::tan(pi * f0 / sample_rate);
  double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// Mean square of the K-weighted signal per 100 ms step, both channels summed.
std::vector<double> weighted_power_steps(const Mix& mix) {
  const std::size_t step = sample_rate / 10;
  Biquad shelf[2] = {high_shelf_stage(), high_shelf_stage()};
  Biquad pass[2] = {high_pass_stage(), high_pass_stage()};
  std::vector<double> steps;
  double sum = 0;
  for (std::size_t i = 0; i < mix.frames(); ++i) {
    double l = pass[0].tick(shelf[0].tick(mix.left[i]));
    double r = pass[1].tick(shelf[1].tick(mix.right[i]));
    sum += l * l + r * r;
    if ((i + 1) % step == 0) steps.push_back(sum / step), sum = 0;
  }
  return steps;
}

double block_loudness(double power) { return -0.691 + 10.0 * std::log10(std::max(power, 1e-20)); }

}  // namespace

double integrated_loudness(const Mix& mix) {
  std::vector<double> steps = weighted_power_steps(mix);
  std::vector<double> blocks;  // 400 ms blocks overlapping by 75 %
  for (std::size_t i = 3; i < steps.size(); ++i)
    blocks.push_back((steps[i] + steps[i - 1] + steps[i - 2] + steps[i - 3]) / 4.0);
  auto gated_mean = [&](double threshold) {
    double sum = 0;
    int count = 0;
    for (double b : blocks)
      if (block_loudness(b) > threshold) sum += b, ++count;
    return count ? sum / count : 0.0;
  };
  double absolute = gated_mean(-70.0);
  if (absolute <= 0) return -70.0;
  double relative = gated_mean(block_loudness(absolute) - 10.0);
  return block_loudness(relative > 0 ? relative : absolute);
}

double peak_level(const Mix& mix) {
  double peak = 0;
  for (std::size_t i = 0; i < mix.frames(); ++i)
    peak = std::max({peak, static_cast<double>(std::fabs(mix.left[i])), static_cast<double>(std::fabs(mix.right[i]))});
  return peak;
}

void limit_peaks(Mix& mix, double ceiling) {
  const std::size_t n = mix.frames(), look = sample_rate * 3 / 1000;
  std::vector<double> wanted(n);
  for (std::size_t i = 0; i < n; ++i) {
    double peak = std::max(std::fabs(mix.left[i]), std::fabs(mix.right[i]));
    wanted[i] = peak > ceiling ? ceiling / peak : 1.0;
  }
  // Smallest wanted gain over the next `look` samples (monotonic queue)...
  std::vector<double> ahead(n);
  std::deque<std::size_t> queue;
  for (std::size_t j = n; j-- > 0;) {
    while (!queue.empty() && wanted[queue.back()] >= wanted[j]) queue.pop_back();
    queue.push_back(j);
    while (queue.front() >= j + look) queue.pop_front();
    ahead[j] = wanted[queue.front()];
  }
  // ...averaged over the past `look` samples: every term covers sample i, so the
  // average never exceeds wanted[i]. Release is a slow return towards 1.
  const double release = 1.0 - std::exp(-1.0 / (0.12 * sample_rate));
  double running = 0, gain = 1.0;
  for (std::size_t i = 0; i < n; ++i) {
    running += ahead[i];
    if (i >= look) running -= ahead[i - look];
    double smooth = running / static_cast<double>(std::min(i + 1, look));
    gain = std::min(smooth, gain + (1.0 - gain) * release);
    mix.left[i] = static_cast<float>(mix.left[i] * gain);
    mix.right[i] = static_cast<float>(mix.right[i] * gain);
  }
}

void fade_out(Mix& mix, double start, double end) {
  for (std::size_t i = 0; i < mix.frames(); ++i) {
    double t = static_cast<double>(i) / sample_rate;
    if (t <= start) continue;
    double g = t >= end ? 0.0 : 0.5 + 0.5 * std::cos(pi * (t - start) / (end - start));
    mix.left[i] = static_cast<float>(mix.left[i] * g);
    mix.right[i] = static_cast<float>(mix.right[i] * g);
  }
}

void scale(Mix& mix, double gain) {
  for (std::size_t i = 0; i < mix.frames(); ++i) {
    mix.left[i] = static_cast<float>(mix.left[i] * gain);
    mix.right[i] = static_cast<float>(mix.right[i] * gain);
  }
}

void master(Mix& mix, double target_lufs, double ceiling) {
  for (int pass = 0; pass < 3; ++pass) {
    double loudness = integrated_loudness(mix);
    scale(mix, std::pow(10.0, (target_lufs - loudness) / 20.0));
    limit_peaks(mix, ceiling);
  }
}

std::vector<std::int16_t> to_pcm16(const Mix& mix) {
  std::vector<std::int16_t> pcm(mix.frames() * 2);
  Prng dither(99);
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    double x = (i % 2 ? mix.right[i / 2] : mix.left[i / 2]) * 32767.0;
    double noise = dither.uniform() - dither.uniform();
    if (x != 0.0) x += noise;  // digital silence stays silent
    pcm[i] = static_cast<std::int16_t>(std::clamp(std::lround(x), -32767l, 32767l));
  }
  return pcm;
}

}  // namespace compose
