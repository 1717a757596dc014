// Spectrum computation with kissfft's real transform. Magnitudes are scaled by
// 2 / (sum of the window) so that a sine of amplitude a reads about a in its bin.
#include "platform/spectrum_analysis.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <numbers>

spectrum_analyser::spectrum_analyser() : config_(kiss_fftr_alloc(spectrum_fft_size, 0, nullptr, nullptr)) {
    for (int i = 0; i < spectrum_fft_size; ++i) {
        window_[i] = float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / spectrum_fft_size));
        window_sum_ += window_[i];
    }
}

spectrum_analyser::~spectrum_analyser() { kiss_fftr_free(config_); }

void spectrum_analyser::compute(const std::array<float, spectrum_fft_size>& input,
                                std::array<float, spectrum_bins>& magnitudes) {
    std::array<float, spectrum_fft_size> windowed;
    for (int i = 0; i < spectrum_fft_size; ++i) windowed[i] = input[i] * window_[i];
    std::array<kiss_fft_cpx, spectrum_bins + 1> bins;
    kiss_fftr(config_, windowed.data(), bins.data());
    const float scale = 2.0f / window_sum_;
    for (int i = 0; i < spectrum_bins; ++i) {
        const float magnitude = std::hypot(bins[i].r, bins[i].i) * scale;
        magnitudes[i] = std::clamp(magnitude, 0.0f, 1.0f);
    }
}
