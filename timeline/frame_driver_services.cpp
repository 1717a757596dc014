// The sound source's default calls, each the FSOUND_* call of the same name, and
// the driver's table of services.
#include "timeline/frame_driver_services.h"

#include "platform/fsound.h"

bool sound_source::init(int mix_rate, int channels, unsigned flags) {
    return FSOUND_Init(mix_rate, channels, flags) != 0;
}
FSOUND_SAMPLE* sound_source::load(const char* file_name, unsigned mode) {
    return FSOUND_Sample_Load(FSOUND_FREE, file_name, mode, 0, 0);
}
bool sound_source::set_mode(FSOUND_SAMPLE* sample, unsigned mode) { return FSOUND_Sample_SetMode(sample, mode) != 0; }
FSOUND_DSPUNIT* sound_source::fft_unit() { return FSOUND_DSP_GetFFTUnit(); }
bool sound_source::set_active(FSOUND_DSPUNIT* unit, bool active) {
    return FSOUND_DSP_SetActive(unit, active ? 1 : 0) != 0;
}
int sound_source::play(int channel, FSOUND_SAMPLE* sample) { return FSOUND_PlaySound(channel, sample); }
bool sound_source::set_position(int channel, uint32_t position) {
    return FSOUND_SetCurrentPosition(channel, position) != 0;
}
uint32_t sound_source::position(int channel) { return FSOUND_GetCurrentPosition(channel); }
bool sound_source::set_paused(int channel, bool paused) { return FSOUND_SetPaused(channel, paused ? 1 : 0) != 0; }
int sound_source::frequency(int channel) { return FSOUND_GetFrequency(channel); }
uint32_t sound_source::length(FSOUND_SAMPLE* sample) { return FSOUND_Sample_GetLength(sample); }
const float* sound_source::spectrum() { return FSOUND_DSP_GetSpectrum(); }
bool sound_source::set_volume(int channel, int volume) { return FSOUND_SetVolume(channel, volume) != 0; }
void sound_source::close() { FSOUND_Close(); }
std::string sound_source::problem() { return fsound_last_problem(); }

frame_driver_services& driver_services() {
    static frame_driver_services services;
    return services;
}
