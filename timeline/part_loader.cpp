// The loading frame: window framebuffer, a 65-degree perspective looking down
// the z axis, a black clear and the logo texture bound (nothing is drawn with
// it). Attributes and both matrices are saved and restored around the frame.
#include "timeline/part_loader.h"

#include "render/gl_check.h"
#include "render/render_context.h"

#include <GL/glu.h>

void part_loader::init(RenderContext*) { logo_slot_offset = 0; }

namespace {

void set_view(const RenderContext& context) {
    const int width = context.sizes.render_width;
    const int height = context.sizes.render_height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window not sized yet has no aspect; 1 keeps the matrix finite.
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(65.0 + context.fov_offset, aspect, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
}

}  // namespace

void part_loader::draw(FrameTiming*, RenderContext* context, PointerState*) {
    // The window framebuffer is bound before the attributes are saved: the saved
    // draw and read buffers then belong to it, and restoring them cannot hand a
    // framebuffer object's attachment names to the window.
    context->bind_window_framebuffer();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // Both matrices the frame changes are saved, so the caller's come back whole.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    set_view(*context);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    context->bind_texture_slot(10 + logo_slot_offset);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glFlush();
    gl_check::check("loading frame");
}
