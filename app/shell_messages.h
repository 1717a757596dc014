// Every caption and text the application shell shows in a message box, in one list,
// plus the window title. The texts are fixed; tests compare against these names.
#pragma once

#include "platform/exit_codes.h"

namespace shell_text {

inline constexpr const char* window_title = " =   Velmoria - KRV 2010 = ";
inline constexpr const char* window_class = "OpenGL";

// Window and context creation. SDL has no separate device context and sets the
// pixel format when it creates the window, so those steps fail as window creation.
inline constexpr const char* error_caption = "ERROR";
inline constexpr const char* register_class_failed = "Failed To Register The Window Class.";
inline constexpr const char* fullscreen_question =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
inline constexpr const char* fullscreen_caption = "KRV GL ;-)";
inline constexpr const char* program_will_close = "Program Will Now Close.";
inline constexpr const char* window_creation_error = "Window Creation Error.";
inline constexpr const char* no_pixel_format = "Can't Find A Suitable PixelFormat (1).";
inline constexpr const char* no_rendering_context = "Can't Create A GL Rendering Context.";
inline constexpr const char* context_not_activated = "Can't Activate The GL Rendering Context.";

// The OpenGL start-up check.
inline constexpr const char* gl_check_caption = "ERROR";
inline constexpr const char* gl_check_intro =
    "This show needs OpenGL 2.0 with the framebuffer-object, framebuffer-multisample and "
    "framebuffer-blit extensions.";

// No place holds the show's data; the text names every place looked in.
inline constexpr const char* data_caption = "velmoria";

// Shutdown. SDL reports no failure when it deletes a context or destroys a window,
// so releasing the current context is the one shutdown step that can fail here.
inline constexpr const char* shutdown_caption = "SHUTDOWN ERROR";
inline constexpr const char* release_dc_rc_failed = "Release Of DC And RC Failed.";

}  // namespace shell_text

// The process exit codes (exit_normal, exit_start_failure) are platform/exit_codes.h.
