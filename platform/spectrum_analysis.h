// The sound layer's spectrum: a Hann-windowed 1024-point real FFT (kissfft) of the
// most recent output, reduced to 512 magnitudes in [0, 1]. A full-scale sine reads
// close to 1 in its bin.
#pragma once

#include <array>

struct kiss_fftr_state;

constexpr int spectrum_fft_size = 1024;
constexpr int spectrum_bins = spectrum_fft_size / 2;

class spectrum_analyser {
public:
    spectrum_analyser();
    ~spectrum_analyser();
    spectrum_analyser(const spectrum_analyser&) = delete;
    spectrum_analyser& operator=(const spectrum_analyser&) = delete;

    // input: the last 1024 output values (mono, -1..1), oldest first.
    void compute(const std::array<float, spectrum_fft_size>& input,
                 std::array<float, spectrum_bins>& magnitudes);

private:
    kiss_fftr_state* config_ = nullptr;
    std::array<float, spectrum_fft_size> window_{};
    float window_sum_ = 0.0f;
};
