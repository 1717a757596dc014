// The frame driver's end: the show's end and the closing fade, whose veil is
// drawn by render/ and whose volume follows it; the fade run out hands over the
// notes and ends the show, which the application then closes.
#include "platform/file_report.h"
#include "platform/fsound.h"
#include "render/fade_veil.h"
#include "timeline/diagnostics.h"
#include "timeline/driver_pieces.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"
#include "timeline/parts.h"

namespace {

// The key states are saved every frame of the fade; a failure is said once.
void save_keys(driver_record& state) {
    const outcome save = save_key_states(state.key_states, "state.txt");
    if (save.done() || state.key_save_failed) return;
    state.key_save_failed = 1;
    report_file_problem(save.what.c_str(), save.reason.c_str(), "the key states are not saved");
}

// The veil over the picture, where the picture is: a forced 16:9 picture on a
// taller full-screen display is centred, and so is its veil.
void draw_fade_overlay(double amount) {
    driver_record& state = held_record();
    const int offset =
        picture_offset_y(state.window_height, state.render_height, state.fullscreen != 0, state.force_16_9 != 0);
    draw_fade_veil(state.render_context, amount, offset, state.render_width, state.render_height);
}

}  // namespace

// Closes the sound and deletes the main part; the application releases the window.
show_status end_show(bool close_sound) {
    driver_record& state = held_record();
    if (close_sound) driver_services().sound->close();
    delete state.part_slots[0];
    state.part_slots[0] = nullptr;
    return show_status::ended();
}

show_status run_closing_fade() {
    driver_record& state = held_record();
    if (state.record_keys) save_keys(state);
    const double amount = fade_amount(state.frame_timing.demo_time, state.fade_start_time, state.fade_rate);
    frame_driver_services& services = driver_services();
    if (state.sound_on) check_sound_call(services.sound->set_volume(FSOUND_ALL, fade_volume(amount)), "fading the music");
    draw_fade_overlay(amount);
    if (amount <= 0.999) return {};
    services.hand_over_notes();
    return end_show(state.sound_on != 0);
}
