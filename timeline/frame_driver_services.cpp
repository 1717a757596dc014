// The frame driver's real services: the sound layer, the platform's counter and
// cursor, the shell's window calls and message boxes, and std::exit.
#include "timeline/frame_driver_services.h"

#include "app/app_record.h"
#include "app/gl_window.h"
#include "app/window_procedure.h"
#include "parts/part_start.h"
#include "platform/fsound.h"
#include "platform/message_box.h"
#include "platform/system_services.h"
#include "platform/window_system.h"

#include <cstdlib>

bool sound_source::init(int mix_rate, int channels, unsigned flags) {
    return FSOUND_Init(mix_rate, channels, flags) != 0;
}
FSOUND_SAMPLE* sound_source::load(const char* file_name, unsigned mode) {
    return FSOUND_Sample_Load(FSOUND_FREE, file_name, mode, 0, 0);
}
void sound_source::set_mode(FSOUND_SAMPLE* sample, unsigned mode) { FSOUND_Sample_SetMode(sample, mode); }
FSOUND_DSPUNIT* sound_source::fft_unit() { return FSOUND_DSP_GetFFTUnit(); }
void sound_source::set_active(FSOUND_DSPUNIT* unit, bool active) { FSOUND_DSP_SetActive(unit, active ? 1 : 0); }
int sound_source::play(int channel, FSOUND_SAMPLE* sample) { return FSOUND_PlaySound(channel, sample); }
void sound_source::set_position(int channel, uint32_t position) { FSOUND_SetCurrentPosition(channel, position); }
uint32_t sound_source::position(int channel) { return FSOUND_GetCurrentPosition(channel); }
int sound_source::frequency(int channel) { return FSOUND_GetFrequency(channel); }
uint32_t sound_source::length(FSOUND_SAMPLE* sample) { return FSOUND_Sample_GetLength(sample); }
const float* sound_source::spectrum() { return FSOUND_DSP_GetSpectrum(); }
void sound_source::set_volume(int channel, int volume) { FSOUND_SetVolume(channel, volume); }
void sound_source::close() { FSOUND_Close(); }

frame_driver_services real_frame_driver_services() {
    static sound_source fsound;
    frame_driver_services services;
    services.sound = &fsound;
    services.counter = performance_counter;
    services.counter_frequency = performance_frequency;
    services.cursor = cursor_position;
    services.swap_buffers = [] { swap_window_buffers(app.window); };
    services.kill_window = kill_gl_window;
    services.hand_over_notes = hand_over_notes;
    services.message = [](const char* text, const char* caption) {
        show_message_box(text, caption, message_icon::information);
    };
    services.exit_process = [](int code) { std::exit(code); };
    services.make_main_part = []() -> parts* { return new part_start; };
    return services;
}

frame_driver_services& driver_services() {
    static frame_driver_services services = real_frame_driver_services();
    return services;
}
