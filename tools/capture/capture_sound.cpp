// The decoded music as the capture tool's clock and spectrum source.
#include "tools/capture/capture_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int silent_rate = 44100;
constexpr uint32_t silent_length = 300u * 44100u;

}  // namespace

capture_sound::capture_sound(std::function<double()> now) : now_(std::move(now)) {}

bool capture_sound::init(int, int, unsigned) { return true; }

FSOUND_SAMPLE* capture_sound::load(const char* file_name, unsigned) {
    problem_ = load_music_file(file_name, music_).reason;
    if (problem_.empty()) return reinterpret_cast<FSOUND_SAMPLE*>(&marker_);
    return nullptr;
}

FSOUND_DSPUNIT* capture_sound::fft_unit() { return reinterpret_cast<FSOUND_DSPUNIT*>(&marker_); }

int capture_sound::frequency(int) { return music_.empty() ? silent_rate : music_.rate; }

long capture_sound::frame_at_now() const { return std::lround(now_() * (music_.empty() ? silent_rate : music_.rate)); }

uint32_t capture_sound::position(int) { return static_cast<uint32_t>(std::max(0L, frame_at_now())); }

uint32_t capture_sound::length(FSOUND_SAMPLE*) {
    return music_.empty() ? silent_length : static_cast<uint32_t>(music_.frame_count());
}

std::array<float, spectrum_fft_size> capture_sound::window_ending_at(long end) const {
    std::array<float, spectrum_fft_size> window{};
    const long frames = static_cast<long>(music_.frame_count());
    const int channels = music_.channels;
    for (int i = 0; i < spectrum_fft_size; ++i) {
        const long frame = end - spectrum_fft_size + i;
        if (frame < 0 || frame >= frames) continue;
        const size_t at = static_cast<size_t>(frame) * static_cast<size_t>(channels);
        const float left = music_.frames[at];
        const float right = channels > 1 ? music_.frames[at + 1] : left;
        window[static_cast<size_t>(i)] = std::clamp((left + right) / 65536.0f, -1.0f, 1.0f);
    }
    return window;
}

const float* capture_sound::spectrum() {
    if (music_.empty()) {
        spectrum_.fill(0.0f);
    } else {
        analyser_.compute(window_ending_at(frame_at_now()), spectrum_);
    }
    return spectrum_.data();
}
