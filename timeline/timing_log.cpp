// Writing the timing log: fixed-point columns, microseconds for the times in
// seconds and microseconds for the millisecond costs.
#include "timeline/timing_log.h"

#include <cerrno>
#include <cmath>
#include <cstring>

std::string format_timing_row(const timing_row& row) {
    char heard[32] = "";
    if (std::isfinite(row.heard_s)) std::snprintf(heard, sizeof heard, "%.6f", row.heard_s);
    char text[256];
    std::snprintf(text, sizeof text, "%.6f,%s,%.6f,%.6f,%.6f,%.3f,%.3f", row.wall_s, heard, row.demo_time,
                  row.show_time, row.step, row.cpu_ms, row.wall_ms);
    return text;
}

timing_log::~timing_log() { close(); }

outcome timing_log::open(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) return outcome::failed(path, std::strerror(errno));
    if (std::fprintf(file_, "%s\n", timing_log_header) < 0 || std::fflush(file_) != 0) {
        const outcome failed = outcome::failed(path, std::strerror(errno));
        close();
        return failed;
    }
    return {};
}

// A row that cannot be written (a full disk) ends the log with one message; the
// show goes on.
void timing_log::write(const timing_row& row) {
    if (file_ == nullptr) return;
    if (std::fprintf(file_, "%s\n", format_timing_row(row).c_str()) < 0 || std::fflush(file_) != 0) {
        std::fprintf(stderr, "velmoria: the timing log stops here: %s\n", std::strerror(errno));
        close();
    }
}

void timing_log::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}
