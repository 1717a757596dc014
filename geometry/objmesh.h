// objmesh: the scenes' triangle mesh, loaded from a small subset of Wavefront OBJ
// (v, vt, vn, f, o) in two passes into one interleaved vertex array with duplicate
// vertices merged, smooth normals when the file has none, and the triangle number
// at which each `o` object begins. render/mesh_draw.h draws it.
#pragma once

#include "geometry/load_outcome.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

// One interleaved vertex: fifteen floats, 60 bytes; the drawing code relies on
// these offsets and on the stride.
struct mesh_vertex {
    float x = 0, y = 0, z = 0;     // 0: position
    float u = 0, v = 0;            // 12: texture coordinate as read
    float nx = 0, ny = 0, nz = 0;  // 20: normal
    float tx = 0, ty = 0, tz = 0;  // 32: tangent (carried, never filled)
    float w = 0;                   // 44: tangent handedness
    float bx = 0, by = 0, bz = 0;  // 48: bitangent
};
static_assert(sizeof(mesh_vertex) == 60, "mesh_vertex is fifteen packed floats");

class objmesh {
public:
    // One entry per `o` statement (triangles read before it) and a final total.
    std::vector<int32_t> object_starts;
    bool loaded = false;
    bool has_positions = false;
    bool has_texcoords = false;
    bool has_normals = false;
    int32_t position_count = 0;
    int32_t texcoord_count = 0;
    int32_t normal_count = 0;
    int32_t triangle_count = 0;
    std::vector<float> positions;  // 3 per `v`, file order
    std::vector<float> texcoords;  // 2 per `vt`
    std::vector<float> normals;    // 3 per `vn`
    std::vector<mesh_vertex> vertices;
    std::vector<uint32_t> indices;  // three per triangle
    std::map<int32_t, std::vector<uint32_t>> vertices_by_position;

    // Loads a file; false, with the mesh unchanged, when it cannot be read (a
    // folder, or a file above max_text_file_bytes, included). Loading again
    // replaces the previous contents. `outcome`, when given, tells why a file gave
    // less than a whole mesh: unreadable, no faces, or faces left out.
    bool load(const char* file_name, bool force_normals, load_outcome* outcome = nullptr);
    // Loads OBJ text held in memory (what load() does once the file is read).
    load_outcome load_from_text(std::string_view text, bool force_normals);

    // Objects are the ranges between consecutive object_starts entries.
    int32_t object_count() const;
    // Index range of object k (first index and number of indices), clamped to the
    // index array; false when k names no object.
    bool object_range(int32_t k, int32_t& first_index, int32_t& index_count) const;
    // Calls f(first_index, index_count) for every object drawn for `index`: all
    // objects in order when index < 0, else object index if it exists, nothing
    // when the mesh is not loaded.
    template <class F>
    void for_each_drawn_range(int32_t index, F&& f) const;

private:
    void reset();
};

template <class F>
void objmesh::for_each_drawn_range(int32_t index, F&& f) const {
    if (!loaded) return;
    const int32_t objects = object_count();
    if (index >= objects) return;
    const int32_t first = index < 0 ? 0 : index;
    const int32_t last = index < 0 ? objects : index + 1;
    for (int32_t k = first; k < last; ++k) {
        int32_t start = 0, count = 0;
        if (object_range(k, start, count)) f(start, count);
    }
}
