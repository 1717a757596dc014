// driver_record: what the frame driver, the loading part and the diagnostics work
// on: the settings with their start values, the window and picture sizes, the input
// the window procedure collects, the music handles, the seconds clock, the parts,
// the diagnostics' records and the records handed to the parts each frame.
// The application's one static record is a driver_record with the shell's own
// fields added; the application hands it to the frame driver (hand_driver_record)
// once, before anything runs, and the driver hands each part what it draws with.
#pragma once

#include "render/render_context.h"
#include "timeline/diagnostic_records.h"
#include "timeline/frame_records.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class parts;
struct FSOUND_SAMPLE;
struct FSOUND_DSPUNIT;

struct driver_record {
    // Settings with their start values.
    uint8_t antialiased = 1;
    uint8_t sound_on = 1;
    double fade_rate = 100002.5;
    int32_t start_point = -4;
    uint8_t drift_correction = 1;
    // The correction's setting when the show started: a seek restores it after the
    // music's end switched it off.
    uint8_t drift_correction_start = 1;
    // Where the show starts, in seconds of music (set from the command line).
    double start_time = 0.0;
    std::string clip_text;
    int32_t window_width = 0;
    int32_t window_height = 0;
    int32_t render_width = 0;
    int32_t render_height = 0;
    uint8_t fullscreen = 0;
    uint8_t force_16_9 = 0;
    uint8_t record_keys = 0;
    uint8_t play_keys = 0;
    uint8_t asset_list = 0;
    uint8_t frame_log = 0;

    // Author mode (set from the command line): the show runs on past its end, can
    // be paused, and plays loop_from .. loop_to again and again while loop_to is
    // above loop_from.
    uint8_t author = 0;
    uint8_t paused = 0;
    double loop_from = 0.0;
    double loop_to = 0.0;

    // Input, kept by the window procedure.
    std::array<uint8_t, 256> keys{};
    uint8_t left_button = 0;
    uint8_t right_button = 0;
    int32_t wheel_notches = 0;
    double wheel_total = 0.0;
    uint8_t fade_started = 0;
    double fade_start_time = 0.0;

    FSOUND_SAMPLE* music_sample = nullptr;
    FSOUND_DSPUNIT* fft_unit = nullptr;
    int32_t music_channel = 0;  // the channel the music landed on
    uint8_t sound_refusal_said = 0;  // a sound call the layer refused has been said
    double music_time = 0.0;
    int32_t frame_counter = 0;

    // The seconds clock: last counter reading and accumulated seconds.
    int64_t clock_last_count = 0;
    double clock_seconds = 0.0;

    std::array<parts*, 9> part_slots{};
    parts* loader_part = nullptr;

    key_state_record key_states;
    uint8_t key_save_failed = 0;  // a failed save of the key states has been said
    frame_time_log frame_log_record;
    std::vector<asset_record> asset_records;
    std::ofstream asset_list_stream;

    FrameTiming frame_timing;
    PointerState pointer_state;
    PointerState loading_pointer;  // the pointer record of the loading frame
    RenderContext render_context;
};
