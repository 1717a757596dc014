// The application shell's entry: picks the display mode, opens the window (which
// also loads the show), runs the message loop and releases the window at the end.
#include "app/entry.h"

#include "app/app_record.h"
#include "app/dialog.h"
#include "app/gl_window.h"
#include "app/message_loop.h"
#include "app/mode_list.h"
#include "app/shell_messages.h"

namespace {

constexpr int32_t default_width = 1280;
constexpr int32_t default_height = 720;
constexpr int32_t colour_bits = 32;

void use_default_display_mode() {
    app.window_width = default_width;
    app.window_height = default_height;
    app.render_width = default_width;
    app.render_height = default_height;
    app.fullscreen = 0;
}

// Mode selection: the list of display modes, then the setup dialog when
// show_dialog is 1 (false when the user quits), or the fixed default mode.
bool select_display_mode() {
    build_mode_list();
    if (app.show_dialog == 1) return run_mode_dialog();
    use_default_display_mode();
    return true;
}

}  // namespace

int velmoria_main(int, char**) {
    if (!select_display_mode()) return exit_normal;  // Quit in the setup dialog
    if (!create_gl_window(shell_text::window_title, app.window_width, app.window_height, colour_bits,
                          app.fullscreen))
        return exit_start_failure;  // the reason has been shown in a message box
    int exit_code = run_message_loop(window_loop_platform());
    kill_gl_window();
    return exit_code;
}
