// The frame driver: demo_init loads the show behind the loading frame and starts
// the music; drive_frame measures each frame's step, pulls it toward the music
// position, fills the pointer record, draws the main part, and ends the show at
// 291 seconds or when the closing fade has run out. Its music start-up, clock, end
// and fade, and author mode live in files of their own (driver_pieces.h).
#include "timeline/frame_driver.h"

#include "platform/file_report.h"
#include "timeline/diagnostics.h"
#include "timeline/driver_pieces.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"
#include "timeline/part_loader.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

driver_record* handed = nullptr;

// The parts draw at the sizes the context carries, taken from the record.
void hand_sizes(driver_record& state) {
    picture_sizes& sizes = state.render_context.sizes;
    sizes.render_width = state.render_width;
    sizes.render_height = state.render_height;
    sizes.window_height = state.window_height;
    sizes.fullscreen = state.fullscreen != 0;
    sizes.force_16_9 = state.force_16_9 != 0;
}

void prepare_targets() {
    driver_record& state = held_record();
    RenderContext& context = state.render_context;
    hand_sizes(state);
    state.antialiased = 1;
    context.create_render_target(0, state.render_width, state.render_height, 4);
    context.create_render_target(1, state.render_width / 4, state.render_height / 4, 0);
    context.texture_base = 0;
    state.clip_text.clear();
    context.set_linear_filtering();
    context.texture_base = 0;
}

// The loading frame, then the main part's loading: false, with the part's problem
// kept, when it could not load what the show needs.
bool load_parts() {
    driver_record& state = held_record();
    frame_driver_services& services = driver_services();
    RenderContext& context = state.render_context;
    state.loading_pointer = PointerState{};
    context.pointer = &state.loading_pointer;
    state.loader_part = new part_loader;
    state.loader_part->init(&context);
    FrameTiming loading_timing;
    state.loader_part->draw(&loading_timing, &context, context.pointer);
    services.swap_buffers();

    state.part_slots[0] = services.make_main_part();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    services.swap_buffers();
    state.part_slots[0]->init(&context);
    if (!state.part_slots[0]->init_problem.done()) return false;
    state.part_slots[0]->active_flag = 1;
    return true;
}


void reset_pointer_for_show() {
    driver_record& state = held_record();
    PointerState& pointer = state.pointer_state;
    state.frame_timing.demo_time = 0.0;
    pointer.mark_point = {};
    pointer.adjust_updown = 0.0;
    pointer.flags_a.fill(false);
    pointer.flags_b.fill(false);
    pointer.flags_a[0] = true;
}

void fill_pointer_state(int cursor_x, int cursor_y) {
    driver_record& state = held_record();
    PointerState& pointer = state.pointer_state;
    pointer.pointer_x = mapped_pointer_x(cursor_x);
    pointer.pointer_y = mapped_pointer_y(cursor_y);
    pointer.wheel = state.wheel_total;
    pointer.wheel_notches = state.wheel_notches;
    pointer.left_button = state.left_button;
    pointer.right_button = state.right_button;
}

void draw_main_part() {
    driver_record& state = held_record();
    PointerState& pointer = state.pointer_state;
    state.render_context.texture_base = 0;
    state.frame_timing.demo_time += state.frame_timing.step;
    pointer.demo_time = state.frame_timing.demo_time;
    if (state.sound_on) {
        const float* spectrum = driver_services().sound->spectrum();
        if (spectrum) std::copy(spectrum, spectrum + pointer.spectrum.size(), pointer.spectrum.begin());
    }
    glBlendFunc(GL_ONE, GL_ONE);
    std::copy(state.keys.begin(), state.keys.end(), pointer.key_states.begin());
    hand_sizes(state);
    if (state.part_slots[0]) state.part_slots[0]->draw(&state.frame_timing, &state.render_context, &pointer);
}

// Loading takes a while (the music is decoded, the meshes read, the programs
// built): one line when it starts and one when the show is ready to play.
void say_loading() {
    std::fprintf(stderr, "%s: loading the show\n", program_name());
    std::fflush(stderr);
}

void say_loaded(std::chrono::steady_clock::time_point start) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%s: loaded in %.2f s\n", program_name(), seconds);
    std::fflush(stderr);
}

// The extension loader refused the context: nothing can be drawn.
show_status failed_loader(GLenum loader) {
    const std::string reason = reinterpret_cast<const char*>(glewGetErrorString(loader));
    return show_status::failed(outcome::failed("OpenGL", "the extension loader cannot start: " + reason),
                               "The OpenGL extension loader cannot start:\n" + reason, "OpenGL");
}

}  // namespace

driver_record& held_record() { return *handed; }

void hand_driver_record(driver_record& record) { handed = &record; }

show_status demo_init() {
    const auto loading_start = std::chrono::steady_clock::now();
    say_loading();
    driver_record& state = held_record();
    if (state.play_keys) load_key_states(state.key_states, "state.txt");
    if (state.asset_list) state.asset_list_stream.open("c://3dsjpglist4.txt");
    state.render_context.progress_callback = nullptr;
    // The loader is started again on the context the show draws with (the start-up
    // check started it already; a second start only reads the same entry points).
    const GLenum loader = glewInit();
    if (loader != GLEW_OK) return failed_loader(loader);
    prepare_targets();
    const double load_start = clock_read();
    if (!load_parts()) {
        // The box names the file under the caption of its kind.
        const outcome& problem = state.part_slots[0]->init_problem;
        return show_status::failed(problem, problem.what, problem.caption);
    }
    if (state.sound_on) {
        const show_status music = start_music();
        if (!music.playing()) return music;
    }
    const double load_seconds = clock_read() - load_start;
    if (state.asset_list) collect_assets(state, load_seconds);
    clock_reset();
    state.frame_timing.clock_reference = clock_read();
    if (state.frame_log) open_frame_log(state.frame_log_record, "c://logs//orvalith2.log", 240.0);
    reset_pointer_for_show();
    state.drift_correction_start = state.drift_correction;
    skip_to_start();
    say_loaded(loading_start);
    return {};
}

show_status drive_frame() {
    driver_record& state = held_record();
    int cursor_x = 0;
    int cursor_y = 0;
    driver_services().cursor(cursor_x, cursor_y);
    measure_step();
    if (state.paused) state.frame_timing.step = 0.0;
    if (state.sound_on) follow_music();
    // A closing fade runs on the demo clock: no wrap may take it back.
    if (state.author && !state.fade_started) keep_author_span();
    if (state.frame_log)
        record_frame_rate(state.frame_log_record, 1.0 / std::max(state.frame_timing.step, 0.00001),
                          state.frame_timing.demo_time, 0);
    ++state.frame_counter;
    fill_pointer_state(cursor_x, cursor_y);
    draw_main_part();
    if (state.play_keys)
        check_sound_call(run_digit_jumps(state, *driver_services().sound), "jumping the music to a cue");
    apply_start_point();
    if (!state.author && state.frame_timing.demo_time > show_end_time) return end_show(true);
    if (state.fade_started) return run_closing_fade();
    return {};
}
