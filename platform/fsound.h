// The sound layer: the FSOUND_* calls the frame driver makes, on our own engine
// (libmpg123 decoding into memory, SDL2 audio output, a kissfft spectrum). Positions
// and lengths are in samples, frequencies in Hz; channel 0 is the music's channel.
#pragma once

#include <string>

struct FSOUND_SAMPLE;
struct FSOUND_DSPUNIT;

constexpr unsigned FSOUND_LOOP_NORMAL = 2;
constexpr int FSOUND_FREE = -1;
constexpr int FSOUND_ALL = -3;

signed char FSOUND_Init(int mix_rate, int max_software_channels, unsigned int flags);
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* file_name, unsigned int mode, int offset, int length);
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned int mode);
FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit();
signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
signed char FSOUND_SetCurrentPosition(int channel, unsigned int position);
unsigned int FSOUND_GetCurrentPosition(int channel);
// Holds the channel at the position being heard (silent, position frozen) or lets
// it go on from there. While the music is held, the spectrum is that of the last
// 1024 frames before its position, as they were heard.
signed char FSOUND_SetPaused(int channel, signed char paused);
signed char FSOUND_GetPaused(int channel);
int FSOUND_GetFrequency(int channel);
unsigned int FSOUND_Sample_GetLength(FSOUND_SAMPLE* sample);
float* FSOUND_DSP_GetSpectrum();
signed char FSOUND_SetVolume(int channel, int volume);
void FSOUND_Close();
// Why the last FSOUND_Init or FSOUND_Sample_Load failed (the system's or the
// decoder's text); empty after one that succeeded. The caller says it.
std::string fsound_last_problem();
