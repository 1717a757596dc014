// Tube submission: one GL_QUADS draw over interleaved normal and position arrays.
// Each quad's four corners carry the same normal, which is what sending the normal
// once before the four vertices gives.
#include "render/tube_draw.h"

#include <GL/glew.h>

void submit_tube_quads(const tube_vertex* vertices, int32_t quads) {
    if (quads <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(tube_vertex), &vertices->nx);
    glVertexPointer(3, GL_FLOAT, sizeof(tube_vertex), &vertices->x);
    glDrawArrays(GL_QUADS, 0, quads * 4);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
