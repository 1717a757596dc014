// Reading a timing log and reducing it to the figures that tell how well the
// picture keeps pace with the sound and how even the frames are.
#include "tools/timingsummary/timing_summary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace {

constexpr std::array<const char*, 4> needed_columns = {"wall_s", "heard_s", "demo_time", "wall_ms"};

std::vector<std::string> split_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    if (!fields.empty() && !fields.back().empty() && fields.back().back() == '\r') fields.back().pop_back();
    return fields;
}

// A number filling the whole field; an empty field is NaN when `empty_ok`.
bool parse_field(const std::string& field, bool empty_ok, double& value) {
    if (field.empty()) {
        value = std::numeric_limits<double>::quiet_NaN();
        return empty_ok;
    }
    char* end = nullptr;
    value = std::strtod(field.c_str(), &end);
    return end == field.c_str() + field.size() && std::isfinite(value);
}

}  // namespace

bool read_timing_log(std::istream& in, std::vector<timing_sample>& rows, std::string& problem) {
    std::string line;
    if (!std::getline(in, line)) {
        problem = "empty file, no header";
        return false;
    }
    const std::vector<std::string> header = split_fields(line);
    std::array<size_t, needed_columns.size()> column{};
    for (size_t c = 0; c < needed_columns.size(); ++c) {
        const auto found = std::find(header.begin(), header.end(), needed_columns[c]);
        if (found == header.end()) {
            problem = std::string("the header has no column ") + needed_columns[c];
            return false;
        }
        column[c] = size_t(found - header.begin());
    }
    for (long number = 2; std::getline(in, line); ++number) {
        if (line.empty() || line == "\r") continue;
        const std::vector<std::string> fields = split_fields(line);
        std::array<double, needed_columns.size()> values{};
        for (size_t c = 0; c < needed_columns.size(); ++c) {
            const bool present = column[c] < fields.size();
            if (!present || !parse_field(fields[column[c]], c == 1, values[c])) {
                problem = "line " + std::to_string(number) + ": bad " + needed_columns[c] + " field";
                return false;
            }
        }
        rows.push_back({values[0], values[1], values[2], values[3]});
    }
    return true;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * double(values.size()));
    const size_t index = size_t(std::clamp(rank, 1.0, double(values.size()))) - 1;
    return values[index];
}

timing_summary summarise(const std::vector<timing_sample>& rows, double settle_s) {
    timing_summary summary;
    summary.frames = rows.size();
    if (rows.empty()) return summary;
    const double start = rows.front().wall_s + settle_s;
    std::vector<double> offsets;  // magnitudes
    std::vector<double> frames;
    double offset_sum = 0.0;
    for (const timing_sample& row : rows) {
        if (row.wall_s < start) continue;
        frames.push_back(row.wall_ms);
        if (std::isnan(row.heard_s)) continue;
        const double offset = (row.heard_s - row.demo_time) * 1000.0;
        offset_sum += offset;
        offsets.push_back(std::fabs(offset));
    }
    summary.measured = frames.size();
    summary.with_music = offsets.size();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    summary.offset_mean_ms = offsets.empty() ? nan : offset_sum / double(offsets.size());
    summary.offset_p99_ms = percentile(offsets, 99.0);
    summary.offset_max_ms = percentile(offsets, 100.0);
    summary.frame_p50_ms = percentile(frames, 50.0);
    summary.frame_p90_ms = percentile(frames, 90.0);
    summary.frame_p99_ms = percentile(frames, 99.0);
    summary.frame_max_ms = percentile(frames, 100.0);
    summary.over_twice_median = size_t(std::count_if(
        frames.begin(), frames.end(), [&](double ms) { return ms > 2.0 * summary.frame_p50_ms; }));
    return summary;
}

std::string format_summary(const timing_summary& s, double settle_s) {
    char text[1024];
    const double share = s.measured ? 100.0 * double(s.over_twice_median) / double(s.measured) : 0.0;
    std::snprintf(text, sizeof text,
                  "frames: %zu, %zu measured (from %.3g s after the first)\n"
                  "A/V offset, heard minus shown (%zu frames with music), ms: mean %.2f, p99 %.2f, max %.2f\n"
                  "frame time (wall), ms: p50 %.2f, p90 %.2f, p99 %.2f, max %.2f\n"
                  "frames over 2 x the median: %zu (%.2f %%)\n",
                  s.frames, s.measured, settle_s, s.with_music, s.offset_mean_ms, s.offset_p99_ms, s.offset_max_ms,
                  s.frame_p50_ms, s.frame_p90_ms, s.frame_p99_ms, s.frame_max_ms, s.over_twice_median, share);
    return text;
}
