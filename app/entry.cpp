// The application shell's entry: reads the command line, finds the data, picks the
// display mode, opens the window (which also loads the show), runs the message loop
// and releases the window at the end.
#include "app/entry.h"

#include "app/app_record.h"
#include "app/command_line.h"
#include "app/dialog.h"
#include "app/gl_window.h"
#include "app/message_loop.h"
#include "app/mode_list.h"
#include "app/program_wiring.h"
#include "app/shell_messages.h"
#include "app/timing_probe.h"
#include "platform/data_location.h"
#include "platform/message_box.h"
#include "platform/sound_output.h"

#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

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
// show_dialog is 1 (false when the user quits) with the command line's presets,
// or those presets taken at once with --no-dialog, or the fixed default mode.
bool select_display_mode(const launch_options& options) {
    build_mode_list();
    if (app.show_dialog != 1) {
        use_default_display_mode();
        return true;
    }
    const mode_choice preset = preset_choice(options, app.mode_list);
    if (options.dialog) return run_mode_dialog(preset);
    apply_mode_choice(preset, app);
    app.mode_list_pending = 0;
    return true;
}

// Help and version go to standard output; a refused line names the problem and
// shows the usage on standard error. Empty when the show is to run.
std::optional<int> answer_without_running(const launch_request& request) {
    switch (request.action) {
    case launch_action::help:
        std::printf("%s\n", show_usage);
        return exit_normal;
    case launch_action::version:
        std::printf("%s\n", version_line().c_str());
        return exit_normal;
    case launch_action::refuse:
        std::fprintf(stderr, "velmoria: %s\n%s\n", request.problem.c_str(), show_usage);
        return exit_bad_command_line;
    case launch_action::run:
        break;
    }
    return std::nullopt;
}

void apply_sound_and_clock(const launch_options& options) {
    set_output_muted(options.mute);
    app.vsync = options.vsync ? 1 : 0;
    app.author = options.author ? 1 : 0;
    app.live_reload = options.author;
    if (options.loop) std::tie(app.loop_from, app.loop_to) = *options.loop;
    // A loop starts at its start unless --start says otherwise.
    app.start_time = options.start.value_or(options.loop ? options.loop->first : 0.0);
}

}  // namespace

int velmoria_main(int argc, char** argv) {
    wire_program(app);
    const launch_request request = parse_command_line(std::vector<std::string>(argv + (argc > 0), argv + argc));
    if (std::optional<int> answered = answer_without_running(request)) return *answered;
    // Opened before the data folder is entered: the path is the user's.
    if (!request.options.timing_log.empty()) {
        const outcome opened = open_timing_log(request.options.timing_log);
        if (!opened.done()) {
            std::fprintf(stderr, "velmoria: cannot write the timing log %s: %s\n", opened.what.c_str(),
                         opened.reason.c_str());
            return exit_start_failure;
        }
    }
    const std::string problem = enter_data_folder();
    if (!problem.empty()) {
        show_message_box(problem.c_str(), shell_text::data_caption, message_icon::stop);
        return exit_start_failure;
    }
    apply_sound_and_clock(request.options);
    if (!select_display_mode(request.options)) return exit_normal;  // Quit in the setup dialog
    if (!create_gl_window(shell_text::window_title, app.window_width, app.window_height, colour_bits,
                          app.fullscreen))
        return exit_start_failure;  // the reason has been shown in a message box
    int exit_code = run_message_loop(window_loop_platform());
    kill_gl_window();
    return exit_code;
}
