// Author mode's key actions on the application record and the frame driver. Each
// one says on standard output where the show now stands, so that an author can
// note the times (and scripts can follow the show).
#include "app/author_mode.h"

#include "app/app_record.h"
#include "app/author_controls.h"
#include "platform/window_messages.h"
#include "timeline/frame_driver.h"

#include <cstdio>
#include <tuple>

namespace {

void say(const char* format, double a, double b = 0.0) {
    std::printf("velmoria: ");
    std::printf(format, a, b);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

void toggle_section_loop() {
    if (app.loop_to > app.loop_from) {
        app.loop_from = app.loop_to = 0.0;
        std::printf("velmoria: loop cleared\n");
        std::fflush(stdout);
        return;
    }
    std::tie(app.loop_from, app.loop_to) = section_loop(app.frame_timing.demo_time);
    say("loop %.3f .. %.3f s", app.loop_from, app.loop_to);
}

void author_key(uint8_t key, bool repeat) {
    const author_command command =
        command_for_key(key, app.keys[VK_SHIFT] != 0, repeat, app.frame_timing.demo_time);
    switch (command.action) {
    case author_action::seek:
        seek_show(command.target);
        say(app.paused ? "at %.3f s (paused)" : "at %.3f s", app.frame_timing.demo_time);
        break;
    case author_action::toggle_pause:
        pause_show(app.paused == 0);
        say(app.paused ? "paused at %.3f s" : "playing from %.3f s", app.frame_timing.demo_time);
        break;
    case author_action::toggle_loop: toggle_section_loop(); break;
    case author_action::toggle_overlay: app.overlay_shown = app.overlay_shown ? 0 : 1; break;
    case author_action::none: break;
    }
}

std::function<void()>& overlay_pass() {
    static std::function<void()> pass;
    return pass;
}
