// Small system services the shell and the frame driver use: the high-resolution
// performance counter, the cursor position in screen coordinates and the plain-text
// clipboard.
#pragma once

#include <cstdint>

// Monotonic counter ticks and their rate in ticks per second.
int64_t performance_counter();
int64_t performance_frequency();

// Cursor position in screen coordinates (the whole desktop, not the window).
void cursor_position(int& x, int& y);

// Puts the text on the system clipboard as plain text; false when the clipboard
// cannot be reached (no video subsystem or the window system refuses).
bool set_clipboard_text(const char* text);
