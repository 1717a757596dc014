// A small frame driver that runs the shell until the full one replaces it: the
// seconds clock on the performance counter, a demo clock advanced by the measured
// step, a cleared window each frame, and the end of the closing fade.
#include "timeline/frame_driver.h"

#include "app/app_record.h"
#include "app/gl_window.h"
#include "app/window_procedure.h"
#include "platform/system_services.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

namespace {

void measure_step() {
    FrameTiming& timing = app.frame_timing;
    timing.step = clock_read() - timing.clock_reference;
    timing.clock_reference = clock_read();
    if (timing.step < 0.0) timing.step = 0.0;
}

void fill_pointer_state() {
    int x = 0;
    int y = 0;
    cursor_position(x, y);
    PointerState& pointer = app.pointer_state;
    pointer.pointer_x = (x - 400) * 7.0 / 400.0;
    pointer.pointer_y = (y - 300) * 7.0 / 300.0;
    pointer.wheel = app.wheel_total;
    pointer.wheel_notches = app.wheel_notches;
    pointer.left_button = app.left_button;
    pointer.right_button = app.right_button;
}

// With the fade complete the notes are handed over and the program ends.
void run_closing_fade() {
    double amount = std::clamp((app.frame_timing.demo_time - app.fade_start_time) * app.fade_rate, 0.0, 1.0);
    if (amount <= 0.999) return;
    hand_over_notes();
    kill_gl_window();
    std::exit(0);
}

}  // namespace

void demo_init() {
    glewInit();
    app.render_context.texture_base = 0;
    app.clip_text.clear();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    clock_reset();
    app.frame_timing.clock_reference = clock_read();
    app.frame_timing.demo_time = 0.0;
}

void drive_frame() {
    measure_step();
    ++app.frame_counter;
    fill_pointer_state();
    app.render_context.texture_base = 0;
    app.frame_timing.demo_time += app.frame_timing.step;
    app.pointer_state.demo_time = app.frame_timing.demo_time;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (app.fade_started) run_closing_fade();
}

void clock_reset() {
    app.clock_seconds = 0.0;
    app.clock_last_count = performance_counter();
}

double clock_read() {
    int64_t now = performance_counter();
    app.clock_seconds += double(now - app.clock_last_count) / double(performance_frequency());
    app.clock_last_count = now;
    return app.clock_seconds;
}
