// The recording's progress line: a bar, frames done of all, frames per second,
// time elapsed and time left at the rate so far; and its printer.
#pragma once

#include <chrono>
#include <string>

// "[#######.............]  120/17460 frames   3.4 fps  elapsed 0:00:35  left 1:24:41"
std::string progress_line(long done, long total, double elapsed_seconds, int bar_width = 30);

// h:mm:ss, or "-:--:--" for a time not known yet.
std::string clock_text(double seconds);

// Prints the progress line to standard error: rewritten in place on a terminal,
// a line every few seconds into a file.
class progress_printer {
public:
    explicit progress_printer(long total);
    void show(long done, bool last = false);

private:
    long total_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point shown_{};
    bool terminal_;
};
