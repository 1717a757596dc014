// A direct-form biquad and the audio-EQ-cookbook designs (R. Bristow-Johnson) the
// mix uses for its tone shaping; the loudness meter builds its K-weighting on it.
#pragma once

#include <cmath>

namespace compose {

struct Biquad {
  double b0, b1, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double tick(double x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1, x1 = x, y2 = y1, y1 = y;
    return y;
  }
};

// Bell boost or cut of `gain_db` around `frequency`.
inline Biquad peaking_eq(double frequency, double q, double gain_db, double rate) {
  const double a = std::pow(10.0, gain_db / 40.0), w = 2 * M_PI * frequency / rate;
  const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha / a;
  return {(1 + alpha * a) / a0, -2 * c / a0, (1 - alpha * a) / a0, -2 * c / a0, (1 - alpha / a) / a0};
}

// Shelf of `gain_db` above `frequency` (shelf slope 1).
inline Biquad high_shelf(double frequency, double gain_db, double rate) {
  const double a = std::pow(10.0, gain_db / 40.0), w = 2 * M_PI * frequency / rate;
  const double c = std::cos(w), alpha = std::sin(w) / std::sqrt(2.0), root = 2 * std::sqrt(a) * alpha;
  const double a0 = (a + 1) - (a - 1) * c + root;
  return {a * ((a + 1) + (a - 1) * c + root) / a0, -2 * a * ((a - 1) + (a + 1) * c) / a0,
          a * ((a + 1) + (a - 1) * c - root) / a0, 2 * ((a - 1) - (a + 1) * c) / a0,
          ((a + 1) - (a - 1) * c - root) / a0};
}

// Second-order high-pass (Butterworth at q = 0.7071).
inline Biquad high_pass(double frequency, double q, double rate) {
  const double w = 2 * M_PI * frequency / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
  return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

}  // namespace compose
