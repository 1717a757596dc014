// The frame driver's arithmetic, apart from its calls: the music-following step,
// the per-frame generator seed, the cursor mapping, the closing fade, the
// first-frame start points and the letterbox offset. Times in seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

constexpr double drift_gain = 0.1;              // share of the music lead added per frame
constexpr double drift_cutoff_time = 230.0;     // no correction after this demo time
constexpr double drift_end_margin = 5.0;        // correction off for good this close to the end
constexpr double show_end_time = 291.0;
constexpr double seek_rate = 44100.0;           // seeks count samples at this rate, always

// The music's playback state of one frame.
struct music_reading {
    double position = 0.0;  // seconds
    double length = 0.0;    // seconds
};

// Positions and lengths come as unsigned 32-bit sample counts.
double sample_count(uint32_t value);

// Reads the music clock; empty while the channel reports no frequency.
std::optional<music_reading> read_music(uint32_t position, uint32_t length, int frequency);

// Why a music of `length` seconds falls short of the show ("the music ends at
// 149 s of the 291 s the show needs"); empty when it lasts the whole show.
std::string short_music_reason(double length);

// Applies the drift correction to a measured (already clamped) step. Clears
// correction_on when the music has entered the last seconds of the sample.
double corrected_step(double step, double demo_time, const music_reading& music, uint8_t& correction_on);

// The music sample a seek to `time` sets, rounded to the nearest.
uint32_t seek_sample(double time);

// Whether a loop from..to is set (to above from) and a frame ending at `next`
// has reached its end, so that the frame is drawn at its start instead.
bool loop_wraps(double next, double loop_from, double loop_to);

// The generator seed of a frame: the low 32 bits of demo_time x 1000000 truncated.
uint32_t frame_seed(double demo_time);

// Cursor position mapped around an 800 x 600 reference.
double mapped_pointer_x(int x);
double mapped_pointer_y(int y);

// Fade amount in [0, 1] and the volume that goes with it.
double fade_amount(double demo_time, double fade_start_time, double fade_rate);
int fade_volume(double amount);

// Demo time of a first-frame start point (the time unchanged for unknown ones).
double start_point_time(int32_t start_point, double demo_time);

// The rows the picture occupies in the window: centred vertically when a forced
// 16:9 picture is shown full screen on a taller display, else from row 0.
int picture_offset_y(int window_height, int render_height, bool fullscreen, bool force_16_9);
