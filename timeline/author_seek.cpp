// The frame driver's author mode: a loop's end takes the frame back to its start,
// the show's end holds the picture, and seeking and pausing move or hold both
// clocks and the music together.
#include "timeline/driver_pieces.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"
#include "timeline/parts.h"

#include <algorithm>

// Author mode: a loop's end takes the frame back to the loop's start, and the
// show's end holds the picture there instead of ending the process.
void keep_author_span() {
    driver_record& state = held_record();
    const FrameTiming& timing = state.frame_timing;
    const double next = timing.demo_time + timing.step;
    if (loop_wraps(next, state.loop_from, state.loop_to)) {
        seek_show(state.loop_from);
    } else if (next > show_end_time) {
        seek_show(show_end_time);
        pause_show(true);
    }
}

void seek_show(double music_time) {
    driver_record& state = held_record();
    if (state.part_slots[0] == nullptr) return;
    FrameTiming& timing = state.frame_timing;
    timing.demo_time = 0.0;
    state.part_slots[0]->reset_clock();
    step_clocks_to(std::clamp(music_time, 0.0, show_end_time));
    timing.clock_reference = clock_read();
    state.drift_correction = state.drift_correction_start;
    if (state.sound_on) seek_music(timing.demo_time);
    state.music_time = timing.demo_time;
}

void pause_show(bool paused) {
    driver_record& state = held_record();
    if ((state.paused != 0) == paused) return;
    state.paused = paused ? 1 : 0;
    if (!state.sound_on) return;
    sound_source& sound = *driver_services().sound;
    check_sound_call(sound.set_paused(state.music_channel, paused), paused ? "holding the music" : "letting the music go");
    // Held, the music waits at the picture's time, so that both go on together.
    if (paused) seek_music(state.frame_timing.demo_time);
}
