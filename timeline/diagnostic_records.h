// The records of the three built-in diagnostics, all switched off in the show:
// the key-state recorder's rows, the frame-time log's slots and the asset list.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct key_state_row {
    double time = 0.0;
    std::vector<bool> flags_a;
    std::vector<bool> flags_b;
    std::vector<double> part_times;
};

struct key_state_record {
    std::vector<key_state_row> rows;
    key_state_row working;  // receives the row a digit-key jump picks
};

struct frame_log_slot {
    double time = 0.0;
    double rate = 0.0;
    int32_t value = 0;
};

struct frame_time_log {
    std::ofstream stream;
    bool failed = true;  // an unopened or failed log drops every write
    double duration = 0.0;
    std::vector<frame_log_slot> slots;
};

enum asset_kind : int32_t { asset_jpeg_texture = 0, asset_3ds_mesh = 1 };

struct asset_record {
    std::string name;
    int32_t slot = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t kind = asset_jpeg_texture;
};
