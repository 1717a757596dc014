// The frame driver's clock: each frame's step measured on the counter and pulled
// toward the music, the frame's generator seed, the first frame's start point, the
// clocks stepped to a time without drawing (a later start, seeking), and the
// seconds clock on the performance counter.
#include "platform/show_random.h"
#include "timeline/driver_pieces.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"
#include "timeline/parts.h"

namespace {

constexpr int discarded_draws = 50;
constexpr double skip_step = 1.0 / 60.0;  // the step a later start advances the clocks by

}  // namespace

void measure_step() {
    driver_record& state = held_record();
    FrameTiming& timing = state.frame_timing;
    timing.step = clock_read() - timing.clock_reference;
    timing.clock_reference = clock_read();
    if (timing.step < 0.0) timing.step = 0.0;
}

// Seeds the generator from the demo time and pulls the step toward the music.
void follow_music() {
    driver_record& state = held_record();
    show_srand(frame_seed(state.frame_timing.demo_time));
    for (int i = 0; i < discarded_draws; ++i) show_rand();
    FrameTiming& timing = state.frame_timing;
    const auto music = take_frame_step(timing, timing.step, track_of(state), state.drift_correction, state.paused != 0);
    if (music) state.music_time = music->position;
}

void apply_start_point() {
    driver_record& state = held_record();
    if (state.start_point < 0 || state.frame_counter != 1) return;
    FrameTiming& timing = state.frame_timing;
    timing.demo_time = start_point_time(state.start_point, timing.demo_time);
    const auto sample = uint32_t(int64_t(timing.demo_time * seek_rate));
    check_sound_call(driver_services().sound->set_position(state.music_channel, sample), "seeking the music");
}

// The demo clock and the part's clock stepped from where they stand to `time`
// as frames of 1/60 s would step them, without drawing.
void step_clocks_to(double time) {
    driver_record& state = held_record();
    FrameTiming& timing = state.frame_timing;
    while (timing.demo_time + skip_step <= time + 1e-9) {
        timing.step = skip_step;
        advance_clocks(timing, *state.part_slots[0]);
    }
    timing.step = 0.0;
}

// A later start: the clocks are stepped to the start time and the music is
// sought there.
void skip_to_start() {
    driver_record& state = held_record();
    if (state.start_time <= 0.0 || state.part_slots[0] == nullptr) return;
    step_clocks_to(state.start_time);
    if (state.sound_on) seek_music(state.frame_timing.demo_time);
}

void clock_reset() {
    driver_record& state = held_record();
    state.clock_seconds = 0.0;
    state.clock_last_count = driver_services().counter();
}

double clock_read() {
    driver_record& state = held_record();
    const frame_driver_services& services = driver_services();
    const int64_t now = services.counter();
    state.clock_seconds += double(now - state.clock_last_count) / double(services.counter_frequency());
    state.clock_last_count = now;
    return state.clock_seconds;
}
