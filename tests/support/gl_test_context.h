// A hidden SDL2 window with an OpenGL 2.1 compatibility context for GL tests.
// It draws on whatever X display DISPLAY names (Mesa llvmpipe under Xvfb in the
// test runs), initialises GLEW, and reads pixels back for checking.
#pragma once

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace gl_test {

// Owns one window and its context; the context is current from construction to
// destruction. Double buffered, RGBA8 with alpha, 24-bit depth. Construction
// throws std::runtime_error when no window or current context can be had (no
// DISPLAY, no GL) in two tries, which GoogleTest reports as a failure of the
// test that made it; a first try that failed is said on standard error.
// One context at a time per process; make one per test or per test suite.
class GlTestContext {
public:
    explicit GlTestContext(int width = 64, int height = 64);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    SDL_Window* window() const { return window_; }

    // RGBA8 pixels of the rectangle from the current read framebuffer (the
    // window's back buffer unless a framebuffer object is bound), bottom row
    // first, 4 bytes per pixel. Uses pack alignment 1 and restores it.
    std::vector<uint8_t> read_pixels(int x, int y, int w, int h) const;
    // One RGBA8 pixel of the current read framebuffer.
    std::array<uint8_t, 4> pixel(int x, int y) const;

    // Drains glGetError and returns the first error found (GL_NO_ERROR if none).
    static GLenum first_error();

private:
    std::string open(int width, int height);
    void close();

    int width_;
    int height_;
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace gl_test
