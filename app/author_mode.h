// Author mode in the shell: key-down messages become pauses, seeks, loops and the
// overlay switch; the overlay itself is drawn through a hook that the show's
// program fills in, so that nothing else (the capture tool, tests) links it.
#pragma once

#include <cstdint>
#include <functional>

// Acts on a key-down message in author mode; `repeat` for the keyboard's repeats.
void author_key(uint8_t key, bool repeat);

// Sets or clears the loop around the current section.
void toggle_section_loop();

// Drawn into the window after each frame's final pass, before the swap; empty
// unless the show's program installed an overlay.
std::function<void()>& overlay_pass();
