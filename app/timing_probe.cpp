// The frame measurement: wall time on the performance counter, CPU time of the
// whole process, and the music position the sound layer says is being heard (the
// play position less what is still queued for the output).
#include "app/timing_probe.h"

#include "app/app_record.h"
#include "parts/part_start.h"
#include "platform/process_clock.h"
#include "platform/system_services.h"
#include "timeline/frame_driver_services.h"
#include "timeline/clock_step.h"
#include "timeline/timing_log.h"

#include <cmath>
#include <limits>

namespace {

struct probe_state {
    timing_log log;
    double origin = 0.0;  // wall seconds when the log was opened
    bool frame_open = false;
    double wall_start = 0.0;
    double cpu_start = 0.0;
    double demo_start = 0.0;
};

probe_state& probe() {
    static probe_state state;
    return state;
}

double wall_seconds() { return double(performance_counter()) / double(performance_frequency()); }

// The music position being heard now, in seconds; NaN when no music plays.
double heard_seconds() {
    sound_source* sound = driver_services().sound;
    if (!app.sound_on || sound == nullptr || app.music_sample == nullptr)
        return std::numeric_limits<double>::quiet_NaN();
    const auto music = read_music_position(music_track{sound, app.music_channel, app.music_sample});
    return music ? music->position : std::numeric_limits<double>::quiet_NaN();
}

double show_time() {
    const auto* part = dynamic_cast<const part_start*>(app.part_slots[0]);
    return part ? part->show_time : 0.0;
}

}  // namespace

outcome open_timing_log(const std::string& path) {
    probe().origin = wall_seconds();
    return probe().log.open(path);
}

void frame_work_started() {
    probe_state& state = probe();
    // Measured only where it is read: by the author overlay and the timing log.
    if (!app.author && !state.log.is_open()) return;
    state.frame_open = true;
    state.wall_start = wall_seconds();
    state.cpu_start = process_cpu_seconds();
    state.demo_start = app.frame_timing.demo_time;
}

void frame_presented() {
    probe_state& state = probe();
    if (!state.frame_open) return;
    state.frame_open = false;
    const double wall = wall_seconds();
    const double heard = heard_seconds();
    const double demo = app.frame_timing.demo_time;
    app.heard_offset_ms = (heard - demo) * 1000.0;  // NaN stays NaN
    if (!state.log.is_open()) return;
    timing_row row;
    row.wall_s = wall - state.origin;
    row.heard_s = heard;
    row.demo_time = demo;
    row.show_time = show_time();
    row.step = demo - state.demo_start;
    row.cpu_ms = (process_cpu_seconds() - state.cpu_start) * 1000.0;
    row.wall_ms = (wall - state.wall_start) * 1000.0;
    state.log.write(row);
}
