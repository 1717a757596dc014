// The key-state recorder: rows of per-part flags and part times kept in
// "state.txt", the nearest-row lookup, and the digit keys that jump the music to
// fixed cue times and restore the recorded state nearest to each cue.
#include "timeline/diagnostics.h"
#include "timeline/driver_record.h"
#include "timeline/frame_driver_services.h"
#include "timeline/key_state_text.h"
#include "timeline/parts.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace {

// Cue times of the digit keys 0 to 7 (virtual keys 48 to 55); 8 and 9 have none.
constexpr std::array<double, 8> cue_times{25, 146, 165, 200, 302, 265, 287, 293};
constexpr int first_digit_key = 48;
constexpr double music_rate = 44100;

// Puts the working row's flags into the pointer record and its part times into the
// parts that exist.
void restore_working_row(driver_record& state, const key_state_row& row) {
    for (std::size_t j = 0; j < row.part_times.size() && j < 9; ++j) {
        if (j < row.flags_a.size()) state.pointer_state.flags_a[j] = row.flags_a[j];
        if (j < row.flags_b.size()) state.pointer_state.flags_b[j] = row.flags_b[j];
        if (j < 8 && state.part_slots[j] != nullptr) state.part_slots[j]->part_time = row.part_times[j];
    }
}

}  // namespace

void load_key_states(key_state_record& record, const char* path) {
    record.rows.clear();
    std::ifstream in(path);
    if (!in) return;
    std::vector<key_state_row> rows;
    if (read_key_state_rows(in, rows)) record.rows = std::move(rows);
}

outcome save_key_states(const key_state_record& record, const char* path) {
    errno = 0;
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (out) write_key_state_rows(out, record.rows);
    if (out) out.close();
    if (out) return {};
    return outcome::file_failed(path, errno != 0 ? std::strerror(errno) : "it could not be written");
}

void find_key_state(key_state_record& record, double time) {
    record.working = key_state_row{};
    double best = 1e14;
    const key_state_row* chosen = nullptr;
    for (const key_state_row& row : record.rows) {
        double distance = std::fabs(row.time - time);
        if (distance < best) {
            best = distance;
            chosen = &row;
        }
    }
    if (chosen != nullptr) record.working = *chosen;
}

bool run_digit_jumps(driver_record& state, sound_source& sound) {
    bool sought = true;
    for (std::size_t digit = 0; digit < cue_times.size(); ++digit) {
        if (!state.keys[first_digit_key + digit]) continue;
        double cue = cue_times[digit];
        find_key_state(state.key_states, cue);
        restore_working_row(state, state.key_states.working);
        sought = sound.set_position(state.music_channel, static_cast<unsigned>(cue * music_rate)) && sought;
    }
    return sought;
}
