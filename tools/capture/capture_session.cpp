// The capture run: start-up through the shell, the fixed-step clock, the frames.
#include "tools/capture/capture_session.h"

#include "app/app_record.h"
#include "app/gl_window.h"
#include "app/mode_list.h"
#include "app/program_wiring.h"
#include "parts/part_start.h"
#include "platform/message_box.h"
#include "render/normal_map.h"
#include "timeline/frame_driver.h"
#include "timeline/clock_step.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>

namespace {

// A picture drawn with a program missing is not the show: every program the
// show built must have built. Each failure is named on standard error.
bool programs_built(const part_start& part) {
    for (const auto& [slot, message] : part.shaders.build_failures())
        std::fprintf(stderr, "velmoria-capture: shader program %d not built: %s\n", slot, message.c_str());
    return part.shaders.build_failures().empty();
}

// Boxes go to standard error only (the shell writes them there); a question
// answers No, so a refused mode ends the run instead of waiting for a click.
message_answer answer_without_window(const char*, const char*, message_icon, message_buttons buttons) {
    return buttons == message_buttons::yes_no ? message_answer::no : message_answer::ok;
}

}  // namespace

capture_session::capture_session(int width, int height, int fps) : capture_session(width, height, 1.0 / fps) {}

capture_session::capture_session(int width, int height, double step)
    : width_(width), height_(height), step_(step), sound_([] { return app.frame_timing.demo_time; }) {}

capture_session::~capture_session() {
    if (opened_) kill_gl_window();
    driver_services() = real_frame_driver_services();
    set_message_box_handler(nullptr);
}

bool capture_session::open() {
    wire_program(app);
    // The shell's own description of a display mode: a window of exactly the
    // picture's size, as the dialog's windowed choice without 16:9 gives.
    mode_choice windowed;
    windowed.windowed = true;
    windowed.force_16_9 = false;
    windowed.mode = {width_, height_};
    apply_mode_choice(windowed, app);
    app.sound_on = 1;
    // The music's position is the demo time itself, so the correction would add
    // exactly nothing; with it off, the rounding of the position to whole samples
    // cannot add anything either.
    app.drift_correction = 0;
    set_message_box_handler(answer_without_window);

    frame_driver_services& services = driver_services();
    services.sound = &sound_;
    // The counter stands still; each drawn frame sets the clock so that the
    // driver measures the step it is given.
    services.counter = [] { return int64_t(0); };
    services.counter_frequency = [] { return int64_t(1); };
    services.cursor = [](int& x, int& y) { x = 400, y = 300; };
    services.swap_buffers = [] {};

    opened_ = create_gl_window("velmoria-capture", width_, height_, 32, 0);
    if (!opened_) return false;
    part_ = dynamic_cast<part_start*>(app.part_slots[0]);
    return part_ != nullptr && programs_built(*part_);
}

// What drive_frame does to the clocks, without drawing: the measured step, the
// pull toward the music, the demo time and the part's clock.
void capture_session::step_clocks_only(double step) {
    if (part_ == nullptr) return;  // the show has ended
    FrameTiming& timing = app.frame_timing;
    take_frame_step(timing, step, music_track{&sound_, app.music_channel, app.music_sample}, app.drift_correction,
                    false);
    ++app.frame_counter;
    advance_clocks(timing, *part_);
    ++frames_done_;
}

// One real frame: with the counter at rest the seconds clock reads 0, so a
// reference of -step makes the driver measure exactly `step`.
void capture_session::draw_frame(double step) {
    app.clock_seconds = 0.0;
    app.clock_last_count = 0;
    app.frame_timing.clock_reference = -step;
    // The options keep every frame within the show, so none should end it; one
    // that did has deleted the part, and the frames after it stay as it left them.
    if (part_ != nullptr && !drive_frame().playing()) part_ = nullptr;
    ++frames_done_;
}

rgb_image capture_session::read_window() const {
    rgb_image image;
    image.width = width_;
    image.height = height_;
    image.pixels.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    image.pixels = flip_rows(image.pixels, width_, height_);  // GL's bottom row first to top row first
    return image;
}

rgb_image capture_session::capture(long n) {
    while (frames_done_ + 1 < n) step_clocks_only(step_);
    draw_frame(step_);
    return read_window();
}

void capture_session::step_clocks_to(double time) {
    while (app.frame_timing.demo_time + step_ <= time + 1e-9) step_clocks_only(step_);
}

double capture_session::step_to(double time) const {
    const double step = time - app.frame_timing.demo_time;
    if (std::fabs(step - step_) < 1e-9) return step_;
    return step < 0.0 ? 0.0 : step;
}

void capture_session::draw_at(double time) { draw_frame(step_to(time)); }

void capture_session::skip_at(double time) { step_clocks_only(step_to(time)); }

double capture_session::demo_time() const { return app.frame_timing.demo_time; }

double capture_session::part_time() const { return part_ ? part_->scene_time : 0.0; }
