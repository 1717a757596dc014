// The frame-time log: the frame rate recorded against the demo time in tenth-of-a-
// second slots, smoothed and written as text once, at shutdown. Recording is one
// store per frame; a log whose file could not be opened drops every write.
#include "timeline/diagnostics.h"

#include <ostream>

namespace {

// Each slot's rate blended with the three that follow and the three before it;
// the ones before have already been smoothed, as the pass runs in place upward.
void smooth_rates(std::vector<frame_log_slot>& slots) {
    long count = long(slots.size());
    for (long i = 3; i <= count - 4; ++i) {
        auto r = [&](long k) { return slots[size_t(k)].rate; };
        double ahead = (10 * r(i) + 6 * r(i + 1) + 3 * r(i + 2) + 2 * r(i + 3)) / 21;
        double behind = (10 * r(i) + 6 * r(i - 1) + 3 * r(i - 2) + 2 * r(i - 3)) / 21;
        slots[size_t(i)].rate = (ahead + behind) * 0.5;
    }
}

}  // namespace

void open_frame_log(frame_time_log& log, const char* path, double duration) {
    log.stream.close();
    log.stream.clear();
    log.stream.open(path, std::ios::out | std::ios::trunc);
    log.failed = !log.stream.is_open();
    log.duration = duration;
    double tenths = duration * 10;
    int count = tenths > 0 ? int(tenths) : 0;
    log.slots.assign(size_t(count), frame_log_slot{});
    for (int j = 0; j < count; ++j) log.slots[size_t(j)].time = j / 10.0;
}

void record_frame_rate(frame_time_log& log, double rate, double time, int32_t value) {
    double tenths = time * 10;
    // Negative times (and NaN) have no slot; neither do times past the duration.
    if (!(tenths >= 0) || tenths >= double(log.slots.size())) return;
    frame_log_slot& slot = log.slots[size_t(tenths)];
    slot.rate = rate;
    slot.time = time;
    slot.value = value;
}

void write_frame_log(frame_time_log& log) {
    if (!log.failed) log.stream << log.slots.size() << std::endl;
    smooth_rates(log.slots);
    if (!log.failed) {
        for (const frame_log_slot& slot : log.slots)
            log.stream << slot.time << std::endl << slot.rate << std::endl << slot.value << std::endl;
    }
    log.stream.close();
    log.failed = true;
    log.slots.clear();
    log.slots.shrink_to_fit();
}
