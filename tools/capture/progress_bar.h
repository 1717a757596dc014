// The recording's progress line: a bar, frames done of all, frames per second,
// time elapsed and time left at the rate so far.
#pragma once

#include <string>

// "[#######.............]  120/17460 frames   3.4 fps  elapsed 0:00:35  left 1:24:41"
std::string progress_line(long done, long total, double elapsed_seconds, int bar_width = 30);

// h:mm:ss, or "-:--:--" for a time not known yet.
std::string clock_text(double seconds);
