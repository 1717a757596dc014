// AppRecord: the one static application record. It holds the settings with their
// start values, the window and context handles, display and render sizes, the input
// state, the sound handles, the parts and the records handed to them each frame.
// Every subsystem reaches it through the global `app`.
#pragma once

#include "render/render_context.h"
#include "timeline/diagnostic_records.h"
#include "timeline/frame_records.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

class parts;
struct SDL_Window;
struct FSOUND_SAMPLE;
struct FSOUND_DSPUNIT;

struct AppRecord {
    uint8_t mode_list_pending = 1;
    uint8_t antialiased = 1;
    uint8_t sound_on = 1;
    uint8_t show_dialog = 1;
    double fade_rate = 100002.5;
    int32_t start_point = -4;
    uint8_t drift_correction = 1;
    // Set from the command line: where the show starts (seconds of music) and
    // whether buffer swaps wait for the display's vertical sync.
    double start_time = 0.0;
    uint8_t vsync = 1;
    uint8_t active = 1;
    std::string clip_text;
    int32_t window_width = 0;
    int32_t window_height = 0;
    int32_t render_width = 0;
    int32_t render_height = 0;
    uint8_t fullscreen = 0;
    uint8_t force_16_9 = 0;
    uint8_t outline_font = 0;
    uint8_t record_keys = 0;
    uint8_t play_keys = 0;
    uint8_t asset_list = 0;
    uint8_t frame_log = 0;
    std::array<uint8_t, 256> keys{};
    uint8_t left_button = 0;
    uint8_t right_button = 0;
    int32_t wheel_notches = 0;
    double wheel_total = 0.0;
    // An Escape key-down seen since the last idle pass: a tap shorter than a slow
    // frame (down and up handled before the pass) still ends the show.
    uint8_t escape_pressed = 0;
    uint8_t fade_started = 0;
    double fade_start_time = 0.0;

    // Window and context: the platform layer's handles stand in for the module
    // instance, window, device context and GL context.
    SDL_Window* window = nullptr;
    void* gl_context = nullptr;

    std::vector<std::pair<int32_t, int32_t>> mode_list;

    FSOUND_SAMPLE* music_sample = nullptr;
    FSOUND_DSPUNIT* fft_unit = nullptr;
    double music_time = 0.0;
    int32_t frame_counter = 0;

    // The seconds clock: last counter reading and accumulated seconds.
    int64_t clock_last_count = 0;
    double clock_seconds = 0.0;

    std::array<parts*, 9> part_slots{};
    parts* loader_part = nullptr;

    key_state_record key_states;
    frame_time_log frame_log_record;
    std::vector<asset_record> asset_records;
    std::ofstream asset_list_stream;

    FrameTiming frame_timing;
    PointerState pointer_state;
    RenderContext render_context;
};

extern AppRecord app;
