// Render targets: a multisample framebuffer of renderbuffers that passes draw
// into, and a resolve framebuffer of slot textures that a blit copies into.
// Framebuffer completeness is queried around blits but never acted on.
#include "render/render_context.h"
#include "render/render_targets.h"

#include <algorithm>

namespace {

GLuint new_renderbuffer(int samples, GLenum format, int width, int height) {
    GLuint name = 0;
    glGenRenderbuffersEXT(1, &name);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, name);
    glRenderbufferStorageMultisampleEXT(GL_RENDERBUFFER_EXT, samples, format, width, height);
    return name;
}

// The result is deliberately unused: an incomplete framebuffer renders nothing
// and the frame goes on.
void query_status(GLenum binding) {
    (void)glCheckFramebufferStatusEXT(binding);
}

const GLenum colour_attachments[3] = {GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT1_EXT,
                                      GL_COLOR_ATTACHMENT2_EXT};

}  // namespace

int clamp_render_target(int target) { return std::clamp(target, 0, render_target_count - 1); }

int clamp_buffer_count(int count) { return std::clamp(count, 1, 3); }

void RenderContext::create_render_target(int target, int width, int height, int samples) {
    const int t = clamp_render_target(target);
    ms_color0[t] = new_renderbuffer(samples, GL_RGBA8, width, height);
    ms_color1[t] = new_renderbuffer(samples, GL_RGBA8, width, height);
    ms_depth[t] = new_renderbuffer(samples, render_target_depth_format, width, height);

    glGenFramebuffersEXT(1, &ms_fbo[t]);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ms_fbo[t]);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                 ms_color0[t]);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT1_EXT, GL_RENDERBUFFER_EXT,
                                 ms_color1[t]);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 ms_depth[t]);

    glGenFramebuffersEXT(1, &resolve_fbo[t]);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, resolve_fbo[t]);
}

void RenderContext::attach_color_texture(int target, int attachment, int slot) {
    const int a = std::clamp(attachment, 0, 2);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, resolve_fbo[target]);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, colour_attachments[a], GL_TEXTURE_2D,
                              texture_of_slot(slot), 0);
    query_status(GL_FRAMEBUFFER_EXT);
}

void RenderContext::attach_depth_texture(int target, int slot) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, resolve_fbo[target]);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                              texture_of_slot(slot), 0);
    query_status(GL_FRAMEBUFFER_EXT);
}

void RenderContext::bind_render_target(int target, int count) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ms_fbo[clamp_render_target(target)]);
    glDrawBuffers(clamp_buffer_count(count), colour_attachments);
}

void RenderContext::resolve_render_target(int target, int width, int height, int count,
                                          bool with_depth) {
    const int n = clamp_buffer_count(count);
    for (int i = 0; i < n; ++i) {
        glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, ms_fbo[target]);
        glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, resolve_fbo[target]);
        glDrawBuffer(colour_attachments[i]);
        glReadBuffer(colour_attachments[i]);
        query_status(GL_READ_FRAMEBUFFER_EXT);
        glBlitFramebufferEXT(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                             GL_NEAREST);
        query_status(GL_DRAW_FRAMEBUFFER_EXT);
    }
    if (with_depth) {
        query_status(GL_READ_FRAMEBUFFER_EXT);
        glBlitFramebufferEXT(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT,
                             GL_NEAREST);
        query_status(GL_DRAW_FRAMEBUFFER_EXT);
    }
}

void RenderContext::bind_window_framebuffer() {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}
