// The sound layer's mixer: playing channels over decoded samples, mixed into 16-bit
// stereo output with linear resampling, and the arithmetic that turns the state at
// the last mix into the position being heard now. No SDL here: the device code in
// fsound.cpp calls these under the audio lock.
#pragma once

#include "platform/sound_decode.h"

#include <cstdint>
#include <vector>

// A loaded sample: the decoded frames and the loop mode.
struct FSOUND_SAMPLE {
    decoded_sound sound;
    bool loop = false;
};

struct FSOUND_DSPUNIT {
    bool active = false;
};

// Source positions are 32.32 fixed point, in frames of the sample.
constexpr uint64_t position_one = uint64_t(1) << 32;

struct sound_channel {
    const FSOUND_SAMPLE* sample = nullptr;
    bool playing = false;
    bool paused = false;     // held at cursor: mixed as silence, position frozen
    int volume = 255;        // 0..255
    int frequency = 0;       // playback rate in Hz
    uint64_t cursor = 0;     // next source position to mix
    uint64_t increment = 0;  // source frames per output frame

    // State when the last buffer started to be mixed (or at the last start/seek).
    uint64_t mark_cursor = 0;
    uint64_t mark_mixed = 0;  // output frames mixed since the start/seek, at the mark
    bool mark_from_mix = false;  // false: started or moved since the last mix
    uint64_t mixed = 0;       // output frames mixed since the start/seek
};

// Starts the sample on the channel at position 0, full volume, its own rate.
void start_channel(sound_channel& channel, const FSOUND_SAMPLE& sample, int output_rate);
// Moves the channel; false when the position lies outside the sample.
bool seek_channel(sound_channel& channel, uint32_t frame);
uint32_t sample_length(const FSOUND_SAMPLE& sample);

// Pauses the channel at `frame` (the position being heard, so that nothing heard
// is skipped or repeated) or resumes it where it was held.
void pause_channel(sound_channel& channel, double frame);
void resume_channel(sound_channel& channel);

// The mono values (-1..1, at the channel's volume) of the `count` source frames
// that end at a paused channel's position, written to out; frames before the
// sample's start are silent. What a listener heard last before the pause.
void held_window(const sound_channel& channel, float* out, int count);

// Records where each channel is as a new stretch of output begins (once per
// mixed buffer, before mixing it).
void mark_channels(std::vector<sound_channel>& channels);

// Mixes frames of stereo output from every playing channel into out (2 values per
// frame) and the mono mix (-1..1) into mono.
void mix_channels(std::vector<sound_channel>& channels, int frames, int16_t* out, float* mono);

// Where the listener is around the last mixed buffer, in output frames counted
// from the device's start: at heard_start when mixing began, and never further
// than heard_end before the next buffer is mixed.
struct output_mark {
    uint64_t mixed_start = 0;  // first frame of the last mixed buffer
    double heard_start = 0.0;
    double heard_end = 0.0;
};

// Output frames between mixed_start and the frame heard seconds_since after the
// mark: the listener moves at the output rate, never past heard_end (infinite
// when the wall clock, not a device, paces the output). May be negative while
// earlier buffers are still playing.
double heard_offset(const output_mark& mark, double seconds_since, int output_rate);

// The channel's position being heard, in source frames, given the heard offset.
// Never earlier than the last start or seek; wraps round a looping sample.
double heard_position(const sound_channel& channel, double offset_frames);
