// The three built-in diagnostics, all switched off in the show by the application
// record's start values: the key-state recorder ("state.txt"), the frame-time log
// and the asset list collector. Each works on the record it is given.
#pragma once

#include "platform/outcome.h"
#include "timeline/diagnostic_records.h"

#include <cstdint>
#include <string>
#include <vector>

struct driver_record;
class sound_source;

// Key-state recorder.
void load_key_states(key_state_record& record, const char* path);
// Writes the rows; a failure names the file and gives the system's reason.
outcome save_key_states(const key_state_record& record, const char* path);
void find_key_state(key_state_record& record, double time);
// Digit keys 0 to 7 held in the driver record's key table jump the music (through
// `sound`) to their cue times and restore the nearest recorded row (run once per
// frame). False when the sound layer refused a seek.
bool run_digit_jumps(driver_record& state, sound_source& sound);

// Frame-time log.
void open_frame_log(frame_time_log& log, const char* path, double duration);
void record_frame_rate(frame_time_log& log, double rate, double time, int32_t value);
void write_frame_log(frame_time_log& log);

// Asset list: writes the report of the record's assets on its asset list stream,
// copying each distinct file once into "C:/lumivane/".
void collect_assets(driver_record& state, double load_seconds);
