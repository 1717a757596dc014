// The shared clock step: the music's reading, the corrected step, the advance.
#include "timeline/clock_step.h"

#include "timeline/frame_driver_services.h"
#include "timeline/frame_records.h"
#include "timeline/parts.h"

std::optional<music_reading> read_music_position(const music_track& music) {
    sound_source& sound = *music.sound;
    return read_music(sound.position(music.channel), sound.length(music.sample), sound.frequency(music.channel));
}

std::optional<music_reading> take_frame_step(FrameTiming& timing, double step, const music_track& music,
                                             uint8_t& correction_on, bool held) {
    timing.step = step;
    const auto reading = read_music_position(music);
    if (reading && !held) timing.step = corrected_step(timing.step, timing.demo_time, *reading, correction_on);
    return reading;
}

void advance_clocks(FrameTiming& timing, parts& part) {
    timing.demo_time += timing.step;
    part.advance_clock(timing);
}
