// The clock step every clock user shares (the show's frames, the capture tool, a
// later start and author seeking): reading the music's position, the step of one
// frame pulled toward it, and the clocks advanced by a step without drawing.
#pragma once

#include "timeline/frame_step.h"

#include <cstdint>
#include <optional>

struct FSOUND_SAMPLE;
struct FrameTiming;
class parts;
class sound_source;

// Where the music plays: the sound source, the channel it landed on and its sample.
struct music_track {
    sound_source* sound = nullptr;
    int channel = 0;
    FSOUND_SAMPLE* sample = nullptr;
};

// The music's position and length; empty while its channel reports no frequency.
std::optional<music_reading> read_music_position(const music_track& music);

// Sets timing.step to `step`, pulled toward the music's position while the music
// plays and the clocks are not held. Returns the music's reading, if any.
std::optional<music_reading> take_frame_step(FrameTiming& timing, double step, const music_track& music,
                                             uint8_t& correction_on, bool held);

// The demo clock and the part's clock advanced by timing.step, without drawing.
void advance_clocks(FrameTiming& timing, parts& part);
