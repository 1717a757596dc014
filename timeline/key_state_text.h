// The "state.txt" text of the key-state recorder, read from and written to streams:
// the row count, then per row its time, entry count and entries. Counts come from
// the file and are checked before they are used.
#pragma once

#include "timeline/diagnostic_records.h"

#include <istream>
#include <ostream>
#include <vector>

// Appends every row of the text to `rows`. False when the text ends early, a
// number is malformed, or a count is negative or above 100,000; `rows` then holds
// what was read so far and is to be discarded.
bool read_key_state_rows(std::istream& in, std::vector<key_state_row>& rows);

// Writes the rows with the stream's default formatting (6 significant digits).
void write_key_state_rows(std::ostream& out, const std::vector<key_state_row>& rows);
