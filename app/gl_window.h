// The window and its OpenGL context: opening them (windowed, or full screen with a
// Yes/No fall-back to windowed), the projection reset on every size change, the
// initial OpenGL state with the demo's loading, and releasing it all again.
#pragma once

#include <cstdint>

struct SDL_Window;
struct show_status;

// Opens the window, the context and the demo: true when the window, the context,
// the OpenGL start-up check, the initial state and the demo's loading all
// succeeded. On false the reason has been shown and everything made is released.
bool create_gl_window(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen);

// The first half of create_gl_window: window class, display mode, window, pixel
// format and current context, shown and with its projection set; no OpenGL
// initialisation and no loading.
bool open_gl_window(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen);

// Makes the window itself (in app.window) with `make`, full screen when
// app.fullscreen is set. A full-screen window whose display mode cannot be set gets
// the same Yes/No offer to run windowed as a mode the display does not list; a
// window that cannot be made at all is "Window Creation Error.". False after the
// message.
using window_maker = SDL_Window* (*)(const char* title, int x, int y, int width, int height, bool fullscreen);
bool make_show_window(const char* title, int32_t width, int32_t height, window_maker make);

// Viewport and a 45-degree perspective for a client area of width x height; a height
// of 0 counts as 1.
void resize_scene(int32_t width, int32_t height);

// Checks the OpenGL features the show needs, sets the initial state and runs the
// demo's loading. False (after the message, with the window released) when a
// feature is missing or the show cannot start.
bool init_gl();

// A show that could not start: what failed and why on standard error, the window
// released once, then the failure's box.
void end_failed_start(const show_status& status);

// Releases what create_gl_window acquired, in reverse order; failures are shown as
// "SHUTDOWN ERROR" boxes and shutdown carries on.
void kill_gl_window();
