// A description of the sound layer's open output, for benchmarks and diagnostics:
// which SDL driver plays, the buffer size, and the latency the position allows for.
#pragma once

#include <string>

struct sound_output_report {
    std::string driver;       // SDL's audio driver name
    int rate = 0;             // output frames per second
    int buffer_frames = 0;    // frames per mixed buffer
    int latency_frames = 0;   // frames between mixing and hearing, taken off the position
    bool paced_by_clock = false;  // a silent driver whose playback follows the wall clock
};

// False while the sound layer is closed.
bool describe_sound_output(sound_output_report& report);

// Muted, the device is handed silence while everything else goes on as before:
// playback positions, looping, volumes and the spectrum of what would be heard.
// Holds for every later Init too.
void set_output_muted(bool muted);
