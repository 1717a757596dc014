// Test fixtures of the sound tests: MP3 files made on the spot with sox and lame in
// a fresh temporary folder of the test process, and the SDL driver selection.
#pragma once

#include <string>

// A sine (or silence when frequency is 0) of the given length, rate and channel
// count, encoded by lame at 192 kbit/s. Returns the file's path; empty on failure.
std::string make_sine_mp3(const std::string& name, double frequency, double seconds, int rate, int channels);

// A scratch folder unique to this process.
std::string scratch_folder();

// Makes the working directory a folder of the scratch folder whose music file
// ("music/Tolvek - Velmoria.mp3") is a copy of `mp3`.
void enter_show_folder(const std::string& mp3);

// Selects SDL's audio driver for the next FSOUND_Init ("dummy", "disk", ...).
void use_audio_driver(const char* driver);
