// Constants shared by the render targets and the textures they resolve into.
// The operations themselves are members of RenderContext (render_context.h).
#pragma once

#include <GL/glew.h>

// The depth renderbuffer of every target and every depth texture use this one
// format: a depth blit between different depth formats fails (Mesa reports
// GL_INVALID_OPERATION and leaves the texture unresolved).
constexpr GLenum render_target_depth_format = GL_DEPTH_COMPONENT24;

// Clamps a render-target number to the valid range [0, render_target_count - 1].
int clamp_render_target(int target);
// Clamps a colour-buffer count to [1, 3].
int clamp_buffer_count(int count);
