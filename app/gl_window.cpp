// Opening and closing the window and its OpenGL context, the projection reset and
// the initial OpenGL state. The window procedure is registered with the window
// class here, so messages reach the shell's input rules from the first one on.
#include "app/gl_window.h"

#include "app/app_record.h"
#include "app/gl_requirements.h"
#include "app/shell_messages.h"
#include "app/window_procedure.h"
#include "platform/file_report.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "timeline/diagnostics.h"
#include "timeline/frame_driver.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstdio>

namespace {

constexpr int windowed_x = 50;
constexpr int windowed_y = 50;

void show_error(const char* text) {
    show_message_box(text, shell_text::error_caption, message_icon::exclamation);
}

// Releases what exists so far, then reports the failed step.
bool fail_creation(const char* text) {
    kill_gl_window();
    show_error(text);
    return false;
}

// A refused full-screen mode: Yes continues windowed, No ends the program.
bool fall_back_to_windowed() {
    message_answer answer = show_message_box(shell_text::fullscreen_question, shell_text::fullscreen_caption,
                                             message_icon::exclamation, message_buttons::yes_no);
    if (answer == message_answer::yes) {
        app.fullscreen = 0;
        return true;
    }
    show_message_box(shell_text::program_will_close, shell_text::error_caption, message_icon::stop);
    return false;
}

bool create_context() {
    app.gl_context = create_gl_context(app.window);
    if (app.gl_context == nullptr) return fail_creation(shell_text::no_rendering_context);
    if (!make_gl_context_current(app.window, app.gl_context))
        return fail_creation(shell_text::context_not_activated);
    if (!pixel_format_acceptable(read_pixel_format())) return fail_creation(shell_text::no_pixel_format);
    return true;
}

}  // namespace

bool open_gl_window(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen) {
    app.fullscreen = fullscreen;
    const outcome registered = register_window_class(window_procedure);
    if (!registered.done()) {
        report_outcome(registered);
        show_error(shell_text::register_class_failed);
        return false;
    }
    if (app.fullscreen) {
        if (find_fullscreen_mode(width, height, bits))
            show_cursor(false);
        else if (!fall_back_to_windowed())
            return false;
    }
    request_pixel_format();
    if (!make_show_window(title, width, height, create_window)) return false;
    if (!create_context()) return false;
    set_vsync(app.vsync != 0);
    show_window(app.window);
    hold_off_screen_saver();
    resize_scene(width, height);
    return true;
}

bool make_show_window(const char* title, int32_t width, int32_t height, window_maker make) {
    if (app.fullscreen) {
        app.window = make(title, 0, 0, width, height, true);
        if (app.window != nullptr) return true;
        show_cursor(true);
        if (!fall_back_to_windowed()) return false;
    }
    app.window = make(title, windowed_x, windowed_y, width, height, false);
    if (app.window == nullptr) return fail_creation(shell_text::window_creation_error);
    return true;
}

bool create_gl_window(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen) {
    if (!open_gl_window(title, width, height, bits, fullscreen)) return false;
    if (!init_gl()) return false;
    // The outline font would be built here, on the render context, when
    // app.outline_font is set; nothing sets it and nothing draws text with it, so
    // this build leaves the font out.
    return true;
}

void resize_scene(int32_t width, int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / double(height), double(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool init_gl() {
    std::string problem = gl_requirements_problem(probe_gl_features());
    if (!problem.empty()) {
        kill_gl_window();
        show_message_box(problem.c_str(), shell_text::gl_check_caption, message_icon::stop);
        return false;
    }
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    const show_status loaded = demo_init();
    if (loaded.playing()) return true;
    end_failed_start(loaded);
    return false;
}

void end_failed_start(const show_status& status) {
    if (!status.problem.done()) report_outcome(status.problem);
    kill_gl_window();
    show_message_box(status.box_text.c_str(), status.box_caption.c_str(), message_icon::information);
}

void kill_gl_window() {
    if (app.frame_log) write_frame_log(app.frame_log_record);
    if (app.fullscreen) {
        restore_desktop_mode(app.window);
        show_cursor(true);
    }
    if (app.gl_context != nullptr) {
        if (!release_current_gl_context())
            show_message_box(shell_text::release_dc_rc_failed, shell_text::shutdown_caption,
                             message_icon::information);
        delete_gl_context(app.gl_context);
        app.gl_context = nullptr;
    }
    // The window carries its own drawing surface, so there is no separate device
    // context to release; destroying the window cannot fail on this platform.
    destroy_window(app.window);
    app.window = nullptr;
}
