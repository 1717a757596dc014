// The message loop and its idle pass. The loop never waits: with an empty queue it
// draws and swaps at once, so the frame rate is bound by the buffer swap, and a
// minimised window keeps swapping without drawing.
#include "app/message_loop.h"

#include "app/app_record.h"
#include "app/author_mode.h"
#include "app/live_reload.h"
#include "app/timing_probe.h"
#include "platform/exit_codes.h"
#include "platform/window_system.h"
#include "timeline/frame_driver.h"

loop_platform window_loop_platform() {
    loop_platform platform;
    platform.peek = [](window_message& message) { return peek_message(message); };
    platform.dispatch = [](const window_message& message) { return dispatch_message(message); };
    platform.drive_frame = [] {
        frame_work_started();
        reload_changed_files();
        return drive_frame().playing();
    };
    platform.draw_overlay = [] {
        if (overlay_pass()) overlay_pass()();
    };
    platform.swap_buffers = [] {
        swap_window_buffers(app.window);
        frame_presented();
    };
    return platform;
}

void start_fade() {
    if (app.fade_started) return;
    pause_show(false);
    app.fade_started = 1;
    app.fade_start_time = app.frame_timing.demo_time;
}

bool idle_pass(const loop_platform& platform) {
    if (app.active) {
        if (!platform.drive_frame()) return false;
        if (platform.draw_overlay) platform.draw_overlay();
    }
    if (app.keys[VK_ESCAPE] || app.escape_pressed) start_fade();
    app.escape_pressed = 0;
    platform.swap_buffers();
    if (app.keys[VK_F1]) app.keys[VK_F1] = 0;
    return true;
}

int run_message_loop(const loop_platform& platform) {
    window_message message;
    for (;;) {
        if (platform.peek(message)) {
            if (message.message == WM_QUIT) return int(message.wparam);
            platform.dispatch(message);
        } else if (!idle_pass(platform)) {
            return exit_normal;
        }
    }
}
