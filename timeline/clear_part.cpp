// The stand-in main part: a black window every frame.
#include "timeline/clear_part.h"

#include "render/render_context.h"

#include <GL/glew.h>

void clear_part::init(RenderContext*) {}

void clear_part::draw(FrameTiming*, RenderContext* context, PointerState*) {
    context->bind_window_framebuffer();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
