// The frame driver: demo_init loads the show behind the loading frame and starts
// the music; drive_frame measures each frame's step on the performance counter,
// pulls it toward the music position, fills the pointer record, draws the main
// part, and ends the show at 291 seconds or when the closing fade has run out.
// In author mode it also pauses, seeks and loops, and holds the end instead.
#include "timeline/frame_driver.h"

#include "platform/file_report.h"
#include "platform/fsound.h"
#include "platform/show_random.h"
#include "render/screen_passes.h"
#include "timeline/diagnostics.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"
#include "timeline/part_loader.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* music_file = "music//Tolvek - Velmoria.mp3";
constexpr unsigned music_load_mode = 304;  // 16-bit signed mono, as the library is asked
constexpr int music_channel = 0;
constexpr int discarded_draws = 50;
constexpr double skip_step = 1.0 / 60.0;  // the step a later start advances the clocks by

// Deletes the main part and ends the process; returns only when the exit service
// does (under test).
void end_show(bool close_sound) {
    driver_record& state = driver_state();
    frame_driver_services& services = driver_services();
    if (close_sound) services.sound->close();
    services.kill_window();
    delete state.part_slots[0];
    state.part_slots[0] = nullptr;
    services.exit_process(0);
}

// A music file cut short still plays what it holds; once, it is said how far.
void say_if_music_short(sound_source& sound) {
    const auto music = read_music(0, sound.length(driver_state().music_sample), sound.frequency(music_channel));
    if (!music) return;
    const std::string reason = short_music_reason(music->length);
    if (!reason.empty()) report_file_problem(music_file, reason.c_str());
}

// The music starts with the FFT unit on; false when the process was told to end.
bool start_music() {
    driver_record& state = driver_state();
    frame_driver_services& services = driver_services();
    sound_source& sound = *services.sound;
    if (!sound.init(44100, 32, 2)) {
        services.message("Problem initializing FMod. \nProgram will now exit.", "KRV  ");
        services.exit_process(1);
        return false;
    }
    state.music_sample = sound.load(music_file, music_load_mode);
    if (state.music_sample == nullptr) {
        services.message("Problem initializing FMod. \nNo sound file.", "KRV ");
        services.exit_process(1);  // a show without its music failed to start
        return false;
    }
    sound.set_mode(state.music_sample, FSOUND_LOOP_NORMAL);
    state.fft_unit = sound.fft_unit();
    sound.set_active(state.fft_unit, true);
    sound.play(FSOUND_FREE, state.music_sample);
    sound.set_position(music_channel, 0);
    say_if_music_short(sound);
    return true;
}

void prepare_targets() {
    driver_record& state = driver_state();
    RenderContext& context = state.render_context;
    state.antialiased = 1;
    context.create_render_target(0, state.render_width, state.render_height, 4);
    context.create_render_target(1, state.render_width / 4, state.render_height / 4, 0);
    context.texture_base = 0;
    state.clip_text.clear();
    context.set_linear_filtering();
    context.texture_base = 0;
}

// The loading frame, then the main part's loading.
void load_parts() {
    driver_record& state = driver_state();
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
    state.part_slots[0]->active_flag = 1;
}

void reset_pointer_for_show() {
    driver_record& state = driver_state();
    PointerState& pointer = state.pointer_state;
    state.frame_timing.demo_time = 0.0;
    pointer.mark_point = {};
    pointer.adjust_updown = 0.0;
    pointer.flags_a.fill(false);
    pointer.flags_b.fill(false);
    pointer.flags_a[0] = true;
}

void measure_step() {
    driver_record& state = driver_state();
    FrameTiming& timing = state.frame_timing;
    timing.step = clock_read() - timing.clock_reference;
    timing.clock_reference = clock_read();
    if (timing.step < 0.0) timing.step = 0.0;
}

// Seeds the generator from the demo time and pulls the step toward the music.
void follow_music() {
    driver_record& state = driver_state();
    show_srand(frame_seed(state.frame_timing.demo_time));
    for (int i = 0; i < discarded_draws; ++i) show_rand();
    sound_source& sound = *driver_services().sound;
    const int frequency = sound.frequency(music_channel);
    const auto music = read_music(sound.position(music_channel), sound.length(state.music_sample), frequency);
    if (!music) return;  // nothing playing on the music channel
    state.music_time = music->position;
    if (state.paused) return;
    FrameTiming& timing = state.frame_timing;
    timing.step = corrected_step(timing.step, timing.demo_time, *music, state.drift_correction);
}

void fill_pointer_state(int cursor_x, int cursor_y) {
    driver_record& state = driver_state();
    PointerState& pointer = state.pointer_state;
    pointer.pointer_x = mapped_pointer_x(cursor_x);
    pointer.pointer_y = mapped_pointer_y(cursor_y);
    pointer.wheel = state.wheel_total;
    pointer.wheel_notches = state.wheel_notches;
    pointer.left_button = state.left_button;
    pointer.right_button = state.right_button;
}

void draw_main_part() {
    driver_record& state = driver_state();
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
    if (state.part_slots[0]) state.part_slots[0]->draw(&state.frame_timing, &state.render_context, &pointer);
}

void apply_start_point() {
    driver_record& state = driver_state();
    if (state.start_point < 0 || state.frame_counter != 1) return;
    FrameTiming& timing = state.frame_timing;
    timing.demo_time = start_point_time(state.start_point, timing.demo_time);
    driver_services().sound->set_position(music_channel, uint32_t(int64_t(timing.demo_time * seek_rate)));
}

// A grey veil over the picture: drawn opaque in the fade's grey level. A forced
// 16:9 picture on a taller full-screen display is centred, and so is its veil.
void draw_fade_overlay(double amount) {
    driver_record& state = driver_state();
    RenderContext& context = state.render_context;
    const int offset =
        picture_offset_y(state.window_height, state.render_height, state.fullscreen != 0, state.force_16_9 != 0);
    glViewport(0, offset, state.render_width, state.render_height);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    context.bind_window_framebuffer();
    load_identity_matrices();
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    reset_flat_state();
    glLoadIdentity();
    gluLookAt(0, 3, 0, 0, 0, 0, 0, 0, 1);
    glScalef(1.0f, 1.0f, 0.7f);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor3d(amount, amount, amount);
    glDisable(GL_TEXTURE_2D);
    draw_screen_quad(0, 50, 50, true, 1.0f);
    glPopMatrix();
    glPopAttrib();
    glFlush();
}

void run_closing_fade() {
    driver_record& state = driver_state();
    if (state.record_keys) save_key_states(state.key_states, "state.txt");
    const double amount = fade_amount(state.frame_timing.demo_time, state.fade_start_time, state.fade_rate);
    frame_driver_services& services = driver_services();
    if (state.sound_on) services.sound->set_volume(FSOUND_ALL, fade_volume(amount));
    draw_fade_overlay(amount);
    if (amount > 0.999) {
        services.hand_over_notes();
        end_show(state.sound_on != 0);
    }
}

// The demo clock and the part's clock stepped from where they stand to `time`
// as frames of 1/60 s would step them, without drawing.
void step_clocks_to(double time) {
    driver_record& state = driver_state();
    FrameTiming& timing = state.frame_timing;
    while (timing.demo_time + skip_step <= time + 1e-9) {
        timing.step = skip_step;
        timing.demo_time += timing.step;
        state.part_slots[0]->advance_clock(timing);
    }
    timing.step = 0.0;
}

// A later start: the clocks are stepped to the start time and the music is
// sought there.
void skip_to_start() {
    driver_record& state = driver_state();
    if (state.start_time <= 0.0 || state.part_slots[0] == nullptr) return;
    step_clocks_to(state.start_time);
    if (state.sound_on)
        driver_services().sound->set_position(music_channel, seek_sample(state.frame_timing.demo_time));
}

// Author mode: a loop's end takes the frame back to the loop's start, and the
// show's end holds the picture there instead of ending the process.
void keep_author_span() {
    driver_record& state = driver_state();
    const FrameTiming& timing = state.frame_timing;
    const double next = timing.demo_time + timing.step;
    if (loop_wraps(next, state.loop_from, state.loop_to)) {
        seek_show(state.loop_from);
    } else if (next > show_end_time) {
        seek_show(show_end_time);
        pause_show(true);
    }
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

}  // namespace

void demo_init() {
    const auto loading_start = std::chrono::steady_clock::now();
    say_loading();
    driver_record& state = driver_state();
    if (state.play_keys) load_key_states(state.key_states, "state.txt");
    if (state.asset_list) state.asset_list_stream.open("c://3dsjpglist4.txt");
    state.render_context.progress_callback = nullptr;
    glewInit();
    prepare_targets();
    const double load_start = clock_read();
    load_parts();
    if (state.sound_on && !start_music()) return;
    const double load_seconds = clock_read() - load_start;
    if (state.asset_list) collect_assets(load_seconds);
    clock_reset();
    state.frame_timing.clock_reference = clock_read();
    if (state.frame_log) open_frame_log(state.frame_log_record, "c://logs//orvalith2.log", 240.0);
    reset_pointer_for_show();
    state.drift_correction_start = state.drift_correction;
    skip_to_start();
    say_loaded(loading_start);
}

void seek_show(double music_time) {
    driver_record& state = driver_state();
    if (state.part_slots[0] == nullptr) return;
    FrameTiming& timing = state.frame_timing;
    timing.demo_time = 0.0;
    state.part_slots[0]->reset_clock();
    step_clocks_to(std::clamp(music_time, 0.0, show_end_time));
    timing.clock_reference = clock_read();
    state.drift_correction = state.drift_correction_start;
    if (state.sound_on) driver_services().sound->set_position(music_channel, seek_sample(timing.demo_time));
    state.music_time = timing.demo_time;
}

void pause_show(bool paused) {
    driver_record& state = driver_state();
    if ((state.paused != 0) == paused) return;
    state.paused = paused ? 1 : 0;
    if (!state.sound_on) return;
    sound_source& sound = *driver_services().sound;
    sound.set_paused(music_channel, paused);
    // Held, the music waits at the picture's time, so that both go on together.
    if (paused) sound.set_position(music_channel, seek_sample(state.frame_timing.demo_time));
}

void drive_frame() {
    driver_record& state = driver_state();
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
    if (state.play_keys) run_digit_jumps();
    apply_start_point();
    if (!state.author && state.frame_timing.demo_time > show_end_time) {
        end_show(true);
        return;
    }
    if (state.fade_started) run_closing_fade();
}

void clock_reset() {
    driver_record& state = driver_state();
    state.clock_seconds = 0.0;
    state.clock_last_count = driver_services().counter();
}

double clock_read() {
    driver_record& state = driver_state();
    const frame_driver_services& services = driver_services();
    const int64_t now = services.counter();
    state.clock_seconds += double(now - state.clock_last_count) / double(services.counter_frequency());
    state.clock_last_count = now;
    return state.clock_seconds;
}
