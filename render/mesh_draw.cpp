// Mesh drawing: per object, enables the client arrays the mesh has
// (positions, texture coordinates, normals; stride 60), draws its index range as
// triangles with 32-bit indices, and disables those arrays again. Matrices,
// program, textures and the client texture unit are the caller's.
#include "render/mesh_draw.h"

#include <GL/glew.h>

#include <cstddef>

namespace {

constexpr GLsizei stride = sizeof(mesh_vertex);

void enable_arrays(const objmesh& mesh) {
    const mesh_vertex* base = mesh.vertices.data();
    if (mesh.has_positions) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, &base->x);
    }
    if (mesh.has_texcoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, &base->u);
    }
    if (mesh.has_normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, &base->nx);
    }
}

void disable_arrays(const objmesh& mesh) {
    if (mesh.has_normals) glDisableClientState(GL_NORMAL_ARRAY);
    if (mesh.has_positions) glDisableClientState(GL_VERTEX_ARRAY);
    if (mesh.has_texcoords) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

}  // namespace

void draw_mesh_object(const objmesh& mesh, int32_t index) {
    static_assert(offsetof(mesh_vertex, u) == 12 && offsetof(mesh_vertex, nx) == 20);
    // A mesh without vertices (an `o` line alone, say) has no triangles either,
    // and no array GL could be pointed at.
    if (mesh.vertices.empty()) return;
    mesh.for_each_drawn_range(index, [&mesh](int32_t first_index, int32_t index_count) {
        enable_arrays(mesh);
        glDrawElements(GL_TRIANGLES, index_count, GL_UNSIGNED_INT, mesh.indices.data() + first_index);
        disable_arrays(mesh);
    });
}
