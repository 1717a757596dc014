// Timing curves: pure functions of a double.
#include "parts/timing_curves.h"

#include <algorithm>
#include <cmath>

double clamp01(double x) { return std::min(std::max(x, 0.0), 1.0); }

double ramp_in(double x) {
    const double a = std::max(x, 0.0);
    const double b = std::pow(a * 0.5, 2.2);
    const double w = std::min(a * 0.3, 1.0);
    return a + (b - a) * (1.0 - w);
}

double ease_shaped(double x, double k) {
    const double c = clamp01(x);
    const double e = (1.0 + std::cos(M_PI * c)) / 2.0;
    return std::pow(1.0 - std::pow(e, (1.0 + k) / 2.0), k);
}

double ease(double x) { return ease_shaped(x, 1.0); }
