// The message loop: window messages are dispatched while any wait; each idle pass
// drives one frame (while the window is active), starts the closing fade on Escape,
// swaps buffers and lets a held F1 count for one pass only; the loop ends at the
// quit message or when a frame has ended the show. The platform calls are
// passed in, so the rules run the same on the real window and on a test double.
#pragma once

#include "platform/window_messages.h"

#include <functional>

struct loop_platform {
    std::function<bool(window_message&)> peek;
    std::function<intptr_t(const window_message&)> dispatch;
    // One frame of the show: false once the show has ended (its end or the closing
    // fade run out).
    std::function<bool()> drive_frame;
    // Tools drawn over the finished frame (author mode's overlay); may be empty.
    std::function<void()> draw_overlay;
    std::function<void()> swap_buffers;
};

// The real platform: the SDL message queue, the registered window procedure, the
// frame driver (after the live reload of changed files), the installed overlay and
// the main window's buffer swap, with each frame measured from the start of its
// work to its swap.
loop_platform window_loop_platform();

// One pass with an empty queue: false when its frame ended the show, which then
// is neither drawn over nor swapped.
bool idle_pass(const loop_platform& platform);

// Runs until the quit message or the show's end; returns the quit's exit code, or
// the normal one at the show's end.
int run_message_loop(const loop_platform& platform);

// Sets the fade flag and remembers the demo time, unless the fade already runs; a
// paused show is let go, so that the fade's clock runs.
void start_fade();
