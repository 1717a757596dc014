// The window procedure: window messages become the input state the frame driver and
// the main part read (key table, mouse buttons, wheel sums, the two adjustment
// values, middle-click notes), plus activation, resizing, close and the screen
// saver. Also the clipboard hand-over of the collected notes.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

intptr_t window_procedure(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// Appends a marked point and the three note lines for the current pointer record.
void note_middle_click();

// The three note lines for the current pointer record and frame camera.
std::string middle_click_note();

// Puts the text on the clipboard; true when it got there.
bool copy_to_clipboard(const char* text);

// At the end of the show: the collected notes go to the clipboard and, because the
// X11 clipboard empties when its owner exits, to standard output as well.
void hand_over_notes();
