// The frame driver's arithmetic: correction toward the music, seeds, pointer
// mapping, fade, start points and letterbox.
#include "timeline/frame_step.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double sample_count(uint32_t value) {
    double count = double(int32_t(value));
    if (count < 0.0) count += 4294967296.0;
    return count;
}

std::string short_music_reason(double length) {
    if (length >= show_end_time) return "";
    char text[96];
    std::snprintf(text, sizeof text, "the music ends at %.0f s of the %.0f s the show needs", std::floor(length),
                  show_end_time);
    return text;
}

std::optional<music_reading> read_music(uint32_t position, uint32_t length, int frequency) {
    if (frequency <= 0) return std::nullopt;
    return music_reading{sample_count(position) / frequency, sample_count(length) / frequency};
}

double corrected_step(double step, double demo_time, const music_reading& music, uint8_t& correction_on) {
    if (music.position > music.length - drift_end_margin) {
        correction_on = 0;
        return step;
    }
    if (!correction_on) return step;
    double correction = (music.position - demo_time) * drift_gain;
    if (demo_time > drift_cutoff_time) correction = 0.0;
    return step + correction;
}

uint32_t seek_sample(double time) { return uint32_t(std::llround(std::max(time, 0.0) * seek_rate)); }

bool loop_wraps(double next, double loop_from, double loop_to) { return loop_to > loop_from && next >= loop_to; }

uint32_t frame_seed(double demo_time) {
    const double scaled = demo_time * 1000000.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) return 0;
    return uint32_t(uint64_t(int64_t(scaled)));
}

double mapped_pointer_x(int x) { return (x - 400) * 7.0 / 400.0; }
double mapped_pointer_y(int y) { return (y - 300) * 7.0 / 300.0; }

double fade_amount(double demo_time, double fade_start_time, double fade_rate) {
    return std::clamp((demo_time - fade_start_time) * fade_rate, 0.0, 1.0);
}

int fade_volume(double amount) { return int(255.0 - 255.0 * amount); }

double start_point_time(int32_t start_point, double demo_time) {
    switch (start_point) {
    case 1: return 32.2;
    case 2: return 74.1;
    case 3: return 130.0;
    case 4: return 209.0;
    case 5: return 296.88;
    default: return demo_time;
    }
}

int picture_offset_y(int window_height, int render_height, bool fullscreen, bool force_16_9) {
    if (!fullscreen || !force_16_9 || window_height <= render_height) return 0;
    return (window_height - render_height) / 2;
}
