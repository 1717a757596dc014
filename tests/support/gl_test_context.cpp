// Opens the hidden test window and its GL 2.1 compatibility context, and reads
// pixels back. The window is never shown: on Xvfb with llvmpipe the back buffer
// of a hidden window renders and reads back like a visible one.
#include "tests/support/gl_test_context.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace gl_test {

namespace {

void set_attributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
}

}  // namespace

// One try at the window, its context and GLEW; empty on success, else what
// failed and why, with everything made so far released.
std::string GlTestContext::open(int width, int height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::string("cannot initialise SDL video: ") + SDL_GetError();
    set_attributes();
    window_ = SDL_CreateWindow("velmoria-test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    std::string problem;
    if (!window_) problem = std::string("cannot create window: ") + SDL_GetError();
    if (problem.empty() && !(context_ = SDL_GL_CreateContext(window_)))
        problem = std::string("cannot create GL context: ") + SDL_GetError();
    if (problem.empty() && SDL_GL_MakeCurrent(window_, context_) != 0)
        problem = std::string("cannot make the GL context current: ") + SDL_GetError();
    if (problem.empty()) {
        glewExperimental = GL_TRUE;
        const GLenum status = glewInit();
        // GLEW may leave an error from probing extensions behind; tests start clean.
        first_error();
        if (status != GLEW_OK)
            problem = std::string("glewInit failed: ") + reinterpret_cast<const char*>(glewGetErrorString(status));
    }
    if (!problem.empty()) close();
    return problem;
}

void GlTestContext::close() {
    if (context_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    context_ = nullptr;
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Under load Xvfb now and then drops a connection opened just as another
// closes; one more try, said on standard error, tells that apart from a fault.
GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
    std::string problem = open(width, height);
    if (!problem.empty()) {
        std::fprintf(stderr, "GL test context: %s; trying once more\n", problem.c_str());
        problem = open(width, height);
    }
    if (!problem.empty()) throw std::runtime_error("GL test context: " + problem);
    glViewport(0, 0, width, height);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
}

GlTestContext::~GlTestContext() { close(); }

std::vector<uint8_t> GlTestContext::read_pixels(int x, int y, int w, int h) const {
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    return pixels;
}

std::array<uint8_t, 4> GlTestContext::pixel(int x, int y) const {
    std::vector<uint8_t> p = read_pixels(x, y, 1, 1);
    return {p[0], p[1], p[2], p[3]};
}

GLenum GlTestContext::first_error() {
    GLenum first = GL_NO_ERROR;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        if (first == GL_NO_ERROR) first = e;
    }
    return first;
}

}  // namespace gl_test
