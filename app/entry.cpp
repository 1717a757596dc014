// The application shell's entry: picks the display mode, opens the window (which
// also loads the show), runs the message loop and releases the window at the end.
#include "app/entry.h"

#include "app/app_record.h"
#include "app/gl_window.h"
#include "app/message_loop.h"
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

// Mode selection. The display-mode dialog (build_mode_list on the screen, then the
// modal dialog when app.show_dialog is 1, which fills the sizes and flags or ends
// the process on Quit) belongs at the top of this function. Until it is part of
// the program every run takes the fixed default mode, as a run with show_dialog
// cleared does.
void select_display_mode() { use_default_display_mode(); }

}  // namespace

int velmoria_main(int, char**) {
    select_display_mode();
    if (!create_gl_window(shell_text::window_title, app.window_width, app.window_height, colour_bits,
                          app.fullscreen))
        return exit_start_failure;  // the reason has been shown in a message box
    int exit_code = run_message_loop(window_loop_platform());
    kill_gl_window();
    return exit_code;
}
