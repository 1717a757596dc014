// Reads and writes the key-state recorder's "state.txt" text. Reading is
// whitespace-insensitive, stops at the end of the text and rejects negative or
// oversized counts, so a corrupt file can neither hang the show nor exhaust memory.
#include "timeline/key_state_text.h"

#include <cstddef>

namespace {

// Counts read from the text are trusted only up to this bound.
constexpr double largest_count = 100000;

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

// The entry count is written as an integer but read as a floating-point number.
bool read_row(std::istream& in, key_state_row& row) {
    double entries = 0;
    if (!(in >> row.time >> entries) || !count_acceptable(entries)) return false;
    for (int i = 0; i < entries; ++i)
        if (!read_entry(in, row)) return false;
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

}  // namespace

bool read_key_state_rows(std::istream& in, std::vector<key_state_row>& rows) {
    long long count = 0;
    if (!(in >> count) || !count_acceptable(double(count))) return false;
    for (long long r = 0; r < count; ++r) {
        key_state_row row;
        if (!read_row(in, row)) return false;
        rows.push_back(std::move(row));
    }
    return true;
}

void write_key_state_rows(std::ostream& out, const std::vector<key_state_row>& rows) {
    out << rows.size() << "\n";
    for (const key_state_row& row : rows) write_row(out, row);
}
