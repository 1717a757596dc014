// Screen-space passes: the full-screen quad, the flat fixed-function state and
// the pass loop that draws into a render target and resolves it. After every
// pass the debug GL error check runs, naming the program and target.
#include "render/screen_passes.h"

#include "render/gl_check.h"
#include "render/render_context.h"
#include "render/shader_programs.h"

#include <cmath>
#include <string>

std::array<std::array<float, 2>, 4> screen_quad_tex_coords(double x_scale, float s) {
    if (x_scale > 0) return {{{0, 0}, {s, 0}, {s, s}, {0, s}}};
    return {{{s, 0}, {0, 0}, {0, s}, {s, s}}};
}

namespace {

void clear_rotation_of_current_matrix() {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) m[column * 4 + row] = column == row ? 1.0 : 0.0;
    }
    glLoadMatrixd(m);
}

// Every matrix the pass relies on, identity: projection, the texture matrices
// of units 0 and 1, model-view; unit 0 active and model-view current after.
void identity_matrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glActiveTexture(GL_TEXTURE1);
    glLoadIdentity();
    glActiveTexture(GL_TEXTURE0);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void bind_inputs(RenderContext& context, const ShaderProgramTable& table, int program, int first,
                 int second, int third) {
    table.bind_sampler(GL_TEXTURE_2D, program, 0, "texture2d_1", context.texture_of_slot(first));
    if (second >= 0) {
        table.bind_sampler(GL_TEXTURE_2D, program, 1, "texture2d_2", context.texture_of_slot(second));
    }
    if (third >= 0) {
        table.bind_sampler(GL_TEXTURE_2D, program, 2, "texture2d_3", context.texture_of_slot(third));
    }
}

}  // namespace

void draw_screen_quad(double angle, double x_scale, double y_scale, bool clear_rotation,
                      float tex_scale) {
    if (clear_rotation) clear_rotation_of_current_matrix();
    glRotated(angle, 0, 0, 1);
    glScaled(std::fabs(x_scale), y_scale, 0);
    const auto tex = screen_quad_tex_coords(x_scale, tex_scale);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(tex[i][0], tex[i][1]);
        glVertex3f(corners[i][0], corners[i][1], 0);
    }
    glEnd();
}

void load_identity_matrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void reset_flat_state() {
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_FOG);
}

void run_screen_pass(RenderContext& context, const ShaderProgramTable& table, int program,
                     int target, int passes, int width, int height, int source, int destination,
                     int second, int third, const char* name) {
    context.bind_window_framebuffer();
    reset_flat_state();
    const std::string where = std::string(name) + " (program " + std::to_string(program) +
                              ", target " + std::to_string(target) + ")";
    for (int i = 0; i < passes; ++i) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glViewport(0, 0, width, height);
        context.attach_color_texture(target, 0, destination);
        context.bind_render_target(target, 1);
        identity_matrices();
        glColor3f(1, 1, 1);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        table.use_program(program);
        bind_inputs(context, table, program, i == 0 ? source : destination, second, third);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        draw_screen_quad(0, 1, 1, true, 1.0f);
        glPopMatrix();
        context.resolve_render_target(target, width, height, 1, false);
        context.bind_window_framebuffer();
        gl_check::check(where.c_str());
    }
    context.bind_window_framebuffer();
}
