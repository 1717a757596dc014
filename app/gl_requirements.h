// The OpenGL start-up check: the show needs OpenGL 2.0 shader objects and the EXT
// framebuffer-object, framebuffer-multisample and framebuffer-blit extensions. The
// probe reads them from GLEW; the verdict and its message are plain computation.
#pragma once

#include <string>
#include <vector>

struct gl_feature_probe {
    bool loader_ready = false;  // GLEW initialised
    std::string loader_error;   // GLEW's reason when it failed
    bool shader_objects = false;
    bool framebuffer_object = false;
    bool framebuffer_multisample = false;
    bool framebuffer_blit = false;
    std::string renderer;  // GL_RENDERER, with GL_VERSION
};

// Initialises GLEW on the current context and reads what it offers.
gl_feature_probe probe_gl_features();

// Names of the missing features, in a fixed order; empty when all are there.
// When the loader failed, every feature is named.
std::vector<std::string> missing_gl_features(const gl_feature_probe& probe);

// The message box text for a failed check; empty when nothing is missing.
std::string gl_requirements_problem(const gl_feature_probe& probe);
