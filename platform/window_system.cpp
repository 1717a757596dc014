// SDL2 implementation of the windowing layer. SDL owns the X11 connection, the GLX
// visual choice (made when an OpenGL window is created) and the display-mode change
// of full-screen windows.
#include "platform/window_system.h"

#include <SDL2/SDL.h>

#include <csignal>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Without a display SDL falls back to a driver that draws nowhere; a window
// there would play the show unseen, so that counts as no display, unless
// SDL_VIDEODRIVER asked for exactly that driver.
bool draws_nowhere(const char* driver) {
    if (driver == nullptr) return true;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return false;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    return asked == nullptr || std::strcmp(asked, driver) != 0;
}

// A closed terminal ends the show as Ctrl-C does, through its close path. SDL
// turns SIGINT and SIGTERM into a quit event but leaves SIGHUP alone, so a
// hang-up raises SIGTERM (raise is safe in a handler). Only where SDL handles
// SIGTERM and nobody has taken SIGHUP yet.
#ifdef SIGHUP
void raise_terminate(int) { std::raise(SIGTERM); }
#endif

void close_on_hangup() {
#ifdef SIGHUP
    struct sigaction terminate {}, hangup {};
    if (sigaction(SIGTERM, nullptr, &terminate) != 0 || sigaction(SIGHUP, nullptr, &hangup) != 0) return;
    if (hangup.sa_handler != SIG_DFL || terminate.sa_handler == SIG_DFL || terminate.sa_handler == SIG_IGN) return;
    struct sigaction raise_it {};
    raise_it.sa_handler = raise_terminate;
    sigemptyset(&raise_it.sa_mask);
    sigaction(SIGHUP, &raise_it, nullptr);
#endif
}

outcome no_display_problem() {
    const char* display = SDL_getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return outcome::failed("cannot open a display", "DISPLAY is not set");
    return outcome::failed(std::string("cannot open display \"") + display + "\"",
                           "no X server there accepts the connection");
}

}  // namespace

outcome register_window_class(window_procedure_fn procedure) {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return outcome::failed("cannot start the window system", SDL_GetError());
    if (draws_nowhere(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return no_display_problem();
    }
    close_on_hangup();
    set_window_procedure(procedure);
    return {};
}

bool unregister_window_class() {
    set_window_procedure(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}

bool find_fullscreen_mode(int width, int height, int bits) {
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == width && mode.h == height) return true;
    }
    return false;
}

namespace {

constexpr pixel_request closest_first[] = {{8, 1, 24}, {8, 0, 24}, {8, 0, 16}, {5, 0, 16}, {5, 0, 0}};

SDL_Window* make_window(const char* title, int x, int y, int width, int height, bool fullscreen) {
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS;
    SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags);
    if (window == nullptr) return nullptr;
    if (fullscreen) {
        SDL_DisplayMode mode{};
        mode.w = width;
        mode.h = height;
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(0, &mode, &closest) == nullptr ||
            SDL_SetWindowDisplayMode(window, &closest) != 0) {
            SDL_DestroyWindow(window);
            return nullptr;
        }
    }
    return window;
}

}  // namespace

const pixel_request* pixel_requests(int& count) {
    count = int(std::size(closest_first));
    return closest_first;
}

void request_pixel_format(const pixel_request& request) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, request.colour_bits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, request.colour_bits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, request.colour_bits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, request.alpha_bits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depth_bits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

void request_pixel_format() { request_pixel_format(closest_first[0]); }

SDL_Window* with_closest_pixel_format(const std::function<SDL_Window*(const pixel_request&)>& attempt) {
    for (const pixel_request& request : closest_first) {
        if (SDL_Window* window = attempt(request)) return window;
    }
    return nullptr;
}

SDL_Window* create_window(const char* title, int x, int y, int width, int height, bool fullscreen) {
    return with_closest_pixel_format([&](const pixel_request& request) {
        request_pixel_format(request);
        return make_window(title, x, y, width, height, fullscreen);
    });
}

void destroy_window(SDL_Window* window) {
    if (window != nullptr) SDL_DestroyWindow(window);
}

void show_window(SDL_Window* window) {
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
}

pixel_format_report read_pixel_format() {
    pixel_format_report format;
    int double_buffer = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &format.red_bits);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &format.green_bits);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &format.blue_bits);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &format.alpha_bits);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &format.depth_bits);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &double_buffer);
    format.double_buffer = double_buffer != 0;
    return format;
}

bool pixel_format_acceptable(const pixel_format_report& format) {
    return format.double_buffer && format.red_bits > 0 && format.green_bits > 0 && format.blue_bits > 0;
}

void* create_gl_context(SDL_Window* window) { return SDL_GL_CreateContext(window); }

bool make_gl_context_current(SDL_Window* window, void* context) {
    return SDL_GL_MakeCurrent(window, context) == 0;
}

bool release_current_gl_context() {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (window == nullptr) return true;  // nothing is current
    return SDL_GL_MakeCurrent(window, nullptr) == 0;
}

void delete_gl_context(void* context) { SDL_GL_DeleteContext(context); }

void swap_window_buffers(SDL_Window* window) {
    if (window != nullptr) SDL_GL_SwapWindow(window);
}

int request_swap_interval(bool on, const std::function<int(int)>& set_interval) {
    const int tried[] = {on ? -1 : 0, on ? 1 : 0};
    for (int interval : tried)
        if (set_interval(interval) == 0) return interval;
    return 0;
}

int set_vsync(bool on) { return request_swap_interval(on, SDL_GL_SetSwapInterval); }

void restore_desktop_mode(SDL_Window* window) {
    if (window != nullptr) SDL_SetWindowFullscreen(window, 0);
}

void show_cursor(bool visible) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void hold_off_screen_saver() { SDL_DisableScreenSaver(); }

void client_size(SDL_Window* window, int& width, int& height) { SDL_GetWindowSize(window, &width, &height); }

void client_position(SDL_Window* window, int& x, int& y) { SDL_GetWindowPosition(window, &x, &y); }
