// The timing log: a CSV file with a header and one row per presented frame,
// telling when the frame was shown, which music was being heard then, the show's
// clocks and what the frame cost. Rows are flushed as they are written, so a log
// survives however the show ends.
#pragma once

#include "platform/outcome.h"

#include <cstdio>
#include <string>

inline constexpr const char* timing_log_header = "wall_s,heard_s,demo_time,show_time,step,cpu_ms,wall_ms";

struct timing_row {
    double wall_s = 0.0;     // seconds since the log was opened, when the frame was handed to the display
    double heard_s = 0.0;    // music position being heard then, in seconds; NaN without music (empty field)
    double demo_time = 0.0;  // the picture's demo time
    double show_time = 0.0;  // the main part's clock of the picture
    double step = 0.0;       // seconds the demo time advanced in this frame
    double cpu_ms = 0.0;     // CPU time of the whole process during the frame
    double wall_ms = 0.0;    // wall time from the start of the frame's work to its presentation
};

// One row as written, without the line end.
std::string format_timing_row(const timing_row& row);

class timing_log {
public:
    timing_log() = default;
    ~timing_log();
    timing_log(const timing_log&) = delete;
    timing_log& operator=(const timing_log&) = delete;

    // Creates or truncates the file and writes the header; a failure names the
    // file and the system's reason.
    outcome open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }
    void write(const timing_row& row);
    void close();

private:
    std::FILE* file_ = nullptr;
};
