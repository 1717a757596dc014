// The frame driver's pieces, shared by its files: the record it was handed, the
// music's start-up, the clock, the end and the closing fade, and author mode's
// span. Only the driver's own files include this.
#pragma once

#include "timeline/clock_step.h"
#include "timeline/frame_driver.h"

struct driver_record;

// The record the application handed in (hand_driver_record).
driver_record& held_record();

// Music start-up (music_start.cpp): playing, or the failed start with its box.
music_track track_of(const driver_record& state);
show_status start_music();
// Seeks the music to `time` (in seconds of music), a refusal said as below.
void seek_music(double time);
// A sound call the layer refused (a sample, unit or channel it does not hold, a
// seek past the music's end): said once on standard error while the sound is on;
// the show goes on.
void check_sound_call(bool taken, const char* what);

// The clock (show_clock.cpp): the measured step, the pull toward the music and the
// frame's seed, the first frame's start point, the clocks stepped to a time
// without drawing, and a later start.
void measure_step();
void follow_music();
void apply_start_point();
void step_clocks_to(double time);
void skip_to_start();

// The end and the closing fade (show_end.cpp): each gives the ended show, the fade
// playing until it has run out.
show_status end_show(bool close_sound);
show_status run_closing_fade();

// Author mode (author_seek.cpp): a loop's end or the show's end met by a frame.
void keep_author_span();
