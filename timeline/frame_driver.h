// The frame driver: demo_init loads the show and starts the music; drive_frame
// runs once per idle pass of the message loop. The seconds clock runs on the
// platform's high-resolution counter.
#pragma once

#include "platform/exit_codes.h"
#include "platform/outcome.h"

#include <string>

struct driver_record;

// How the show stands after its loading or a frame. An ended show has closed its
// sound and deleted its main part; the application then releases the window and
// exits with exit_code. A start that failed carries its box (text and caption)
// and, where known, what failed and why, said by the application on standard
// error before the box.
struct show_status {
    enum class state { playing, ended, failed };
    state now = state::playing;
    int exit_code = 0;
    outcome problem;
    std::string box_text;
    std::string box_caption;

    bool playing() const { return now == state::playing; }
    static show_status ended() { return {state::ended, exit_normal, {}, {}, {}}; }
    static show_status failed(outcome problem, std::string box_text, std::string box_caption) {
        return {state::failed, exit_start_failure, std::move(problem), std::move(box_text), std::move(box_caption)};
    }
};

// The record the driver works on: handed in once by the application, which keeps
// it alive for the whole process. The driver is the only code below the
// application that holds it.
void hand_driver_record(driver_record& record);

// Loads the show and starts its music: playing when the show is ready, failed when
// it cannot start. The window stays open either way; the application releases it.
show_status demo_init();
// One frame: playing, or ended at the show's end or when the closing fade has run
// out.
show_status drive_frame();
// Author mode: both clocks and the music go to `music_time` (kept within the
// show), the clocks stepped from the start exactly as a later start steps them, so
// the frame drawn next is the frame of that time; the music's correction then
// finds nothing to correct.
void seek_show(double music_time);
// Author mode: holds or releases the clocks and the music. Held, the music stops
// at the picture's time and the frame is still drawn every pass.
void pause_show(bool paused);
void clock_reset();
double clock_read();
