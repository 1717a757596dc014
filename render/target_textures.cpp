// Creators of the textures that render targets resolve into (colour and depth)
// and of the RGB noise texture. Each generates a new GL name into its slot; an
// older texture in that slot stays alive, unnamed by the table.
#include "render/render_context.h"
#include "render/render_targets.h"
#include "render/texture_fill.h"

namespace {

// Uploads tightly packed rows whatever alignment the caller left set: rows of
// 3-byte pixels are not 4-byte aligned for most widths, and reading them with
// the default alignment would run past the end of the buffer.
void upload_packed(GLint internal_format, int width, int height, GLenum format,
                   const std::vector<uint8_t>& bytes) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internal_format, width, height, 0, format, GL_UNSIGNED_BYTE,
                 bytes.empty() ? nullptr : bytes.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void linear_filters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

void RenderContext::create_color_target_texture(int slot, int width, int height, int) {
    GLuint& name = texture_ids[slot + texture_base];
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    linear_filters();
    if (generate_mipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    }
    upload_packed(GL_RGBA, width, height, GL_RGBA, color_target_bytes(width, height));
}

void RenderContext::create_depth_texture(int slot, int width, int height) {
    GLuint& name = texture_ids[slot + texture_base];
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, render_target_depth_format, width, height, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
    linear_filters();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
}

void RenderContext::create_noise_texture(int slot, int width, int height) {
    GLuint& name = texture_ids[slot + texture_base];
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    linear_filters();
    upload_packed(3, width, height, GL_RGB, noise_bytes(width, height));
}
