// The rendering record's own operations: binding a texture slot, forwarding a
// loading-progress step, and linear filtering on the bound texture. The record
// itself is a member of the application record.
#include "render/render_context.h"

void RenderContext::bind_texture_slot(int slot) {
    glBindTexture(GL_TEXTURE_2D, texture_of_slot(slot));
}

void RenderContext::report_progress(double step) {
    if (progress_callback) progress_callback(step);
}

void RenderContext::set_linear_filtering() {
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}
