// Probe and verdict of the OpenGL start-up check. A driver without these features
// would draw garbage or crash in the first render-target call, so the shell stops
// with a clear message instead.
#include "app/gl_requirements.h"

#include "app/shell_messages.h"

#include <GL/glew.h>

namespace {

std::string gl_string(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "(unknown)";
}

bool has_shader_objects() {
    return GLEW_VERSION_2_0 && glCreateShader != nullptr && glShaderSource != nullptr &&
           glCompileShader != nullptr && glCreateProgram != nullptr && glLinkProgram != nullptr &&
           glUseProgram != nullptr && glGetUniformLocation != nullptr && glDrawBuffers != nullptr;
}

}  // namespace

gl_feature_probe probe_gl_features() {
    gl_feature_probe probe;
    probe.renderer = gl_string(GL_RENDERER) + ", OpenGL " + gl_string(GL_VERSION);
    GLenum status = glewInit();
    if (status != GLEW_OK) {
        probe.loader_error = reinterpret_cast<const char*>(glewGetErrorString(status));
        return probe;
    }
    probe.loader_ready = true;
    probe.shader_objects = has_shader_objects();
    probe.framebuffer_object = GLEW_EXT_framebuffer_object;
    probe.framebuffer_multisample = GLEW_EXT_framebuffer_multisample;
    probe.framebuffer_blit = GLEW_EXT_framebuffer_blit;
    return probe;
}

std::vector<std::string> missing_gl_features(const gl_feature_probe& probe) {
    std::vector<std::string> missing;
    // Without the loader no feature can be trusted: each is named missing.
    const bool loaded = probe.loader_ready;
    if (!loaded) missing.push_back("OpenGL function loading (GLEW: " + probe.loader_error + ")");
    if (!loaded || !probe.shader_objects) missing.push_back("OpenGL 2.0 shader objects");
    if (!loaded || !probe.framebuffer_object) missing.push_back("GL_EXT_framebuffer_object");
    if (!loaded || !probe.framebuffer_multisample) missing.push_back("GL_EXT_framebuffer_multisample");
    if (!loaded || !probe.framebuffer_blit) missing.push_back("GL_EXT_framebuffer_blit");
    return missing;
}

std::string gl_requirements_problem(const gl_feature_probe& probe) {
    std::vector<std::string> missing = missing_gl_features(probe);
    if (missing.empty()) return {};
    std::string text = shell_text::gl_check_intro;
    text += "\n\nMissing:";
    for (const std::string& name : missing) text += "\n  " + name;
    text += "\n\nRenderer: " + probe.renderer;
    return text;
}
