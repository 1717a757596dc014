// The frame driver: demo_init loads the show and starts the music; drive_frame
// runs once per idle pass of the message loop. The seconds clock runs on the
// platform's high-resolution counter.
#pragma once

void demo_init();
void drive_frame();
void clock_reset();
double clock_read();
