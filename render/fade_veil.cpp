// The closing fade's veil, drawn with the fixed-function pipeline.
#include "render/fade_veil.h"

#include "render/render_context.h"
#include "render/screen_passes.h"

#include <GL/glew.h>
#include <GL/glu.h>

void draw_fade_veil(RenderContext& context, double amount, int y, int width, int height) {
    glViewport(0, y, width, height);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    context.bind_window_framebuffer();
    load_identity_matrices();
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    reset_flat_state();
    glLoadIdentity();
    gluLookAt(0, 3, 0, 0, 0, 0, 0, 0, 1);
    glScalef(1.0f, 1.0f, 0.7f);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor3d(amount, amount, amount);
    glDisable(GL_TEXTURE_2D);
    draw_screen_quad(0, 50, 50, true, 1.0f);
    glPopMatrix();
    glPopAttrib();
    glFlush();
}
