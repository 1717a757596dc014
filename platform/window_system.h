// The windowing layer on SDL2: the window class (video start-up plus the window
// procedure), the window with an exact client size, the full-screen display mode,
// the OpenGL context with its pixel format, buffer swaps, the cursor and the
// screen saver. Every call reports failure by its result, never by exception.
#pragma once

#include "platform/outcome.h"
#include "platform/window_messages.h"

#include <cstdint>
#include <functional>
#include <string>

struct SDL_Window;

// Starts the video subsystem and makes `procedure` the procedure messages are
// dispatched to. Fails, saying which, when the video subsystem cannot start or no
// display can be opened (SDL's windowless fallback drivers count only when
// SDL_VIDEODRIVER names them).
outcome register_window_class(window_procedure_fn procedure);
// Stops the video subsystem again.
bool unregister_window_class();

// True when the display offers a mode of exactly width x height; `bits` is kept
// for the caller's record (the desktop's colour depth is used).
bool find_fullscreen_mode(int width, int height, int bits);

// A pixel format asked of the window system: bits per colour channel, alpha and
// depth bits; always double-buffered RGBA, no stencil, an OpenGL 2.1 context with
// the fixed-function pipeline.
struct pixel_request {
    int colour_bits = 8;
    int alpha_bits = 1;
    int depth_bits = 24;
};
// The formats windows are created with, closest to the show's own first: 8-bit
// colour with alpha and 24-bit depth, then without alpha, then 16-bit depth,
// then 5-bit colour, then no depth buffer at all.
const pixel_request* pixel_requests(int& count);
// Sets the attributes of `request` for the next window.
void request_pixel_format(const pixel_request& request);
// The show's own request (the first of pixel_requests). Must precede create_window.
void request_pixel_format();
// Tries `attempt` with each of pixel_requests in turn and gives back the first
// window it makes; null when none can be made.
SDL_Window* with_closest_pixel_format(const std::function<SDL_Window*(const pixel_request&)>& attempt);

// Windowed: a caption with a close box, not resizable, the client area exactly
// width x height with its top-left corner at (x, y). Full screen: borderless, in the
// display mode width x height. Made with the closest pixel format the window
// system offers (with_closest_pixel_format). Hidden until show_window. Null on
// failure, including a display mode that cannot be set.
SDL_Window* create_window(const char* title, int x, int y, int width, int height, bool fullscreen);
// Destroys the window; a null window is ignored.
void destroy_window(SDL_Window* window);
// Shows the window, raises it and gives it the keyboard focus.
void show_window(SDL_Window* window);

// Pixel format actually obtained, checked against the request.
struct pixel_format_report {
    int red_bits = 0;
    int green_bits = 0;
    int blue_bits = 0;
    int alpha_bits = 0;
    int depth_bits = 0;
    bool double_buffer = false;
};
pixel_format_report read_pixel_format();
// What the show can run with: double-buffered RGB. Alpha and depth bits are
// asked for but the show draws without them.
bool pixel_format_acceptable(const pixel_format_report& format);

// The OpenGL context: null on failure.
void* create_gl_context(SDL_Window* window);
bool make_gl_context_current(SDL_Window* window, void* context);
// Makes no context current; false when the platform refuses.
bool release_current_gl_context();
void delete_gl_context(void* context);
void swap_window_buffers(SDL_Window* window);
// For the current context: on, buffer swaps wait for the vertical sync, adaptively
// (a late frame is shown at once instead of waiting a whole refresh) where the
// driver offers it, else always; off, they never wait. Returns the swap interval
// now in effect: -1 adaptive, 1 plain, 0 none.
int set_vsync(bool on);
// The choice behind set_vsync, through `set_interval` (0 on success, as
// SDL_GL_SetSwapInterval): on tries -1, then 1; off sets 0. Returns the interval
// that took, 0 when none did.
int request_swap_interval(bool on, const std::function<int(int)>& set_interval);

// Leaves full screen and restores the desktop mode.
void restore_desktop_mode(SDL_Window* window);
void show_cursor(bool visible);

// Keeps the screen saver and monitor power-down away while the show runs.
void hold_off_screen_saver();

// Size of the window's client area, as the window system reports it.
void client_size(SDL_Window* window, int& width, int& height);
// Position of the client area's top-left corner on the screen.
void client_position(SDL_Window* window, int& x, int& y);
