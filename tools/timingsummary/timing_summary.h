// The summary of a timing log (the show's --timing-log CSV): the A/V offset, the
// music heard minus the picture's demo time, and the frame times, both over the
// frames after a settling time at the start. Pure computation on parsed rows.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

// The columns the summary reads from one row.
struct timing_sample {
    double wall_s = 0.0;
    double heard_s = 0.0;  // NaN when the row had no music
    double demo_time = 0.0;
    double wall_ms = 0.0;
};

// Reads a log with a header naming at least wall_s, heard_s, demo_time and
// wall_ms, in any order; false with the reason (and the line) otherwise.
bool read_timing_log(std::istream& in, std::vector<timing_sample>& rows, std::string& problem);

// The p-th percentile (0 < p <= 100) by nearest rank: the smallest value with at
// least p % of the values at or below it. NaN for no values.
double percentile(std::vector<double> values, double p);

struct timing_summary {
    size_t frames = 0;           // rows in the log
    size_t measured = 0;         // rows after the settling time
    size_t with_music = 0;       // measured rows with a heard position
    double offset_mean_ms = 0.0;  // signed: positive when the sound is ahead of the picture
    double offset_p99_ms = 0.0;   // of the offset's magnitude
    double offset_max_ms = 0.0;   // the largest magnitude
    double frame_p50_ms = 0.0;
    double frame_p90_ms = 0.0;
    double frame_p99_ms = 0.0;
    double frame_max_ms = 0.0;
    size_t over_twice_median = 0;  // frames longer than twice the median
};

// Rows whose wall_s lies `settle_s` or more after the first row's are measured.
timing_summary summarise(const std::vector<timing_sample>& rows, double settle_s);

// The summary as printed, several lines.
std::string format_summary(const timing_summary& summary, double settle_s);
