// The frame driver: demo_init loads the show and starts the music; drive_frame
// runs once per idle pass of the message loop. The seconds clock runs on the
// platform's high-resolution counter.
#pragma once

struct driver_record;

// The record the driver works on: handed in once by the application, which keeps
// it alive for the whole process. The driver is the only code below the
// application that holds it.
void hand_driver_record(driver_record& record);

void demo_init();
void drive_frame();
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
