// The debug GL error check and its run-time switch. Errors are written to
// standard error so that they stay apart from the shader logs on standard output;
// an error that recurs at the same place is written the first time only, so a
// fault that lasts does not flood the output every frame.
#include "render/gl_check.h"

#include "platform/file_report.h"

#include <GL/glew.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace gl_check {

namespace {

#ifdef NDEBUG
bool checks_on = false;
#else
bool checks_on = true;
#endif
int logged = 0;
std::set<std::pair<std::string, GLenum>> written;  // the place and error of every line written

const char* error_name(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
        case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
        case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
        case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
        case GL_INVALID_FRAMEBUFFER_OPERATION_EXT: return "GL_INVALID_FRAMEBUFFER_OPERATION";
        default: return "unknown GL error";
    }
}

}  // namespace

bool enabled() { return checks_on; }

void set_enabled(bool on) { checks_on = on; }

int check(const char* where) {
    if (!checks_on) return 0;
    int found = 0;
    // A lost context reports GL_CONTEXT_LOST forever; the bound keeps the loop finite.
    for (GLenum error = glGetError(); error != GL_NO_ERROR && found < 32; error = glGetError()) {
        if (written.emplace(where, error).second)
            std::fprintf(stderr, "%s: GL error 0x%04x (%s) after %s (written once for this place)\n",
                         program_name(), error, error_name(error), where);
        ++found;
    }
    logged += found;
    return found;
}

int logged_count() { return logged; }

void reset_logged_count() { logged = 0; }

}  // namespace gl_check
