// The frame driver's music start-up: the sound library opened, the music loaded,
// looping, with the FFT unit on, started on the channel it lands on, and a file
// shorter than the show said once. A failure is returned with its box.
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

constexpr const char* no_sound_box = "Problem initializing FMod. \nProgram will now exit.";
constexpr const char* no_sound_caption = "KRV  ";
constexpr const char* no_music_box = "Problem initializing FMod. \nNo sound file.";
constexpr const char* no_music_caption = "KRV ";

// A start that failed for want of its music: the fixed box and, where the sound
// layer gave one, the file and why.
show_status failed_start(const char* box_text, const char* box_caption, const std::string& problem) {
    return show_status::failed(problem.empty() ? outcome{} : outcome::file_failed(music_file, problem), box_text,
                               box_caption);
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
        return failed_start(no_sound_box, no_sound_caption, sound.problem());
    state.music_sample = sound.load(music_file, music_load_mode);
    if (state.music_sample == nullptr)
        return failed_start(no_music_box, no_music_caption, sound.problem());
    check_sound_call(sound.set_mode(state.music_sample, FSOUND_LOOP_NORMAL), "looping the music");
    state.fft_unit = sound.fft_unit();
    check_sound_call(sound.set_active(state.fft_unit, true), "switching the spectrum on");
    state.music_channel = sound.play(FSOUND_FREE, state.music_sample);
    if (state.music_channel < 0)
        return failed_start(no_sound_box, no_sound_caption, "no free sound channel to play it on");
    check_sound_call(sound.set_position(state.music_channel, 0), "starting the music at its beginning");
    say_if_music_short();
    return {};
}

void seek_music(double time) {
    const driver_record& state = held_record();
    check_sound_call(driver_services().sound->set_position(state.music_channel, seek_sample(time)),
                     "seeking the music");
}

void check_sound_call(bool taken, const char* what) {
    driver_record& state = held_record();
    if (taken || !state.sound_on || state.sound_refusal_said) return;
    state.sound_refusal_said = 1;
    report_outcome(outcome::failed("sound", std::string(what) + " was refused on channel " +
                                                std::to_string(state.music_channel) + "; the show goes on"));
}
