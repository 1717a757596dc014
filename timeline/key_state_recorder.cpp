// The key-state recorder: rows of per-part flags and part times kept in
// "state.txt", the nearest-row lookup, and the digit keys that jump the music to
// fixed cue times and restore the recorded state nearest to each cue.
#include "app/app_record.h"
#include "platform/fsound.h"
#include "timeline/diagnostics.h"
#include "timeline/parts.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <fstream>

namespace {

// Counts read from the file are trusted only up to this bound; a larger or negative
// count marks the file as corrupt.
constexpr double largest_count = 100000;

// Cue times of the digit keys 0 to 7 (virtual keys 48 to 55); 8 and 9 have none.
constexpr std::array<double, 8> cue_times{25, 146, 165, 200, 302, 265, 287, 293};
constexpr int first_digit_key = 48;
constexpr double music_rate = 44100;

bool count_acceptable(double count) { return count >= 0 && count <= largest_count; }

bool read_entry(std::istream& in, key_state_row& row) {
    double part_time = 0;
    bool a = false;
    bool b = false;
    if (!(in >> part_time >> a >> b)) return false;
    row.part_times.push_back(part_time);
    row.flags_a.push_back(a);
    row.flags_b.push_back(b);
    return true;
}

bool read_row(std::istream& in, key_state_row& row) {
    double entries = 0;
    if (!(in >> row.time >> entries) || !count_acceptable(entries)) return false;
    for (int i = 0; i < entries; ++i)
        if (!read_entry(in, row)) return false;
    return true;
}

// All rows of the file, or false when it ends early or holds an unacceptable count.
bool read_rows(std::istream& in, std::vector<key_state_row>& rows) {
    long long count = 0;
    if (!(in >> count) || !count_acceptable(double(count))) return false;
    for (long long r = 0; r < count; ++r) {
        key_state_row row;
        if (!read_row(in, row)) return false;
        rows.push_back(std::move(row));
    }
    return true;
}

void write_row(std::ostream& out, const key_state_row& row) {
    std::size_t entries = row.part_times.size();
    out << "\n\n" << row.time << "\n" << entries << "\n";
    for (std::size_t i = 0; i < entries; ++i) {
        bool a = i < row.flags_a.size() && row.flags_a[i];
        bool b = i < row.flags_b.size() && row.flags_b[i];
        out << row.part_times[i] << " " << a << " " << b << " ";
    }
}

// Puts the working row's flags into the pointer record and its part times into the
// parts that exist.
void restore_working_row(const key_state_row& row) {
    for (std::size_t j = 0; j < row.part_times.size() && j < 9; ++j) {
        if (j < row.flags_a.size()) app.pointer_state.flags_a[j] = row.flags_a[j];
        if (j < row.flags_b.size()) app.pointer_state.flags_b[j] = row.flags_b[j];
        if (j < 8 && app.part_slots[j] != nullptr) app.part_slots[j]->part_time = row.part_times[j];
    }
}

}  // namespace

void load_key_states(key_state_record& record, const char* path) {
    record.rows.clear();
    std::ifstream in(path);
    if (!in) return;
    std::vector<key_state_row> rows;
    if (read_rows(in, rows)) record.rows = std::move(rows);
}

void save_key_states(const key_state_record& record, const char* path) {
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out) return;
    out << record.rows.size() << "\n";
    for (const key_state_row& row : record.rows) write_row(out, row);
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

void run_digit_jumps() {
    for (std::size_t digit = 0; digit < cue_times.size(); ++digit) {
        if (!app.keys[first_digit_key + digit]) continue;
        double cue = cue_times[digit];
        find_key_state(app.key_states, cue);
        restore_working_row(app.key_states.working);
        FSOUND_SetCurrentPosition(0, static_cast<unsigned>(cue * music_rate));
    }
}
