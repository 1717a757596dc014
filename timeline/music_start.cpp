// The frame driver's music start-up: the sound library opened, the music loaded,
// looping, with the FFT unit on, started on the channel it lands on, and a file
// shorter than the show said once. A failure is returned with its box.
#include "platform/exit_codes.h"
#include "platform/file_report.h"
#include "platform/fsound.h"
#include "timeline/driver_pieces.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver_services.h"
#include "timeline/frame_step.h"

#include <string>

namespace {

constexpr const char* music_file = "music//Tolvek - Velmoria.mp3";
constexpr unsigned music_load_mode = 304;  // 16-bit signed mono, as the library is asked

// A music file cut short still plays what it holds; once, it is said how far.
void say_if_music_short() {
    const auto music = read_music_position(track_of(held_record()));
    if (!music) return;
    const std::string reason = short_music_reason(music->length);
    if (!reason.empty()) report_file_problem(music_file, reason.c_str());
}

// A start that failed for want of its music: the fixed box and, where the sound
// layer gave one, what failed and why.
show_status failed_start(const char* box_text, const char* box_caption, const std::string& problem) {
    show_status status;
    status.now = show_status::state::failed;
    status.exit_code = exit_start_failure;
    if (!problem.empty()) status.problem = outcome::file_failed(music_file, problem);
    status.box_text = box_text;
    status.box_caption = box_caption;
    return status;
}

}  // namespace

music_track track_of(const driver_record& state) {
    return music_track{driver_services().sound, state.music_channel, state.music_sample};
}

// The music starts with the FFT unit on, on the channel it lands on.
show_status start_music() {
    driver_record& state = held_record();
    sound_source& sound = *driver_services().sound;
    if (!sound.init(44100, 32, 2))
        return failed_start("Problem initializing FMod. \nProgram will now exit.", "KRV  ", sound.problem());
    state.music_sample = sound.load(music_file, music_load_mode);
    if (state.music_sample == nullptr)
        return failed_start("Problem initializing FMod. \nNo sound file.", "KRV ", sound.problem());
    check_sound_call(sound.set_mode(state.music_sample, FSOUND_LOOP_NORMAL), "looping the music");
    state.fft_unit = sound.fft_unit();
    check_sound_call(sound.set_active(state.fft_unit, true), "switching the spectrum on");
    state.music_channel = sound.play(FSOUND_FREE, state.music_sample);
    if (state.music_channel < 0)
        return failed_start("Problem initializing FMod. \nProgram will now exit.", "KRV  ",
                            "no free sound channel to play it on");
    check_sound_call(sound.set_position(state.music_channel, 0), "starting the music at its beginning");
    say_if_music_short();
    return {};
}

void check_sound_call(bool taken, const char* what) {
    driver_record& state = held_record();
    if (taken || !state.sound_on || state.sound_refusal_said) return;
    state.sound_refusal_said = 1;
    report_outcome(outcome::failed("sound", std::string(what) + " was refused on channel " +
                                                std::to_string(state.music_channel) + "; the show goes on"));
}
