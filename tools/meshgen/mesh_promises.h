// What the mesh generator promises about each OBJ file it writes: object count,
// triangle count and bounding box. The generator checks its output against this
// table, and the asset tests check the committed files with the show's own loader.
#pragma once

#include <cstring>

namespace velmoria_assets {

struct mesh_promise {
    const char* file;
    int objects;
    int triangles;
    float lo[3];
    float hi[3];
};

inline constexpr float bounds_tolerance = 0.01f;

inline constexpr mesh_promise mesh_promises[] = {
    {"quorrel.obj", 5, 24616, {-5.20, 0.00, -2.20}, {-0.80, 14.69, 2.20}},
    {"quorrels.obj", 5, 2896, {-5.20, 0.00, -2.20}, {-0.80, 14.69, 2.20}},
    {"wings.obj", 1, 13328, {-3.30, -0.87, -0.13}, {3.30, 0.80, 0.13}},
    {"transf3.obj", 2, 26064, {-20.60, -20.60, -0.48}, {20.60, 20.60, 3.07}},
    {"credits.obj", 3, 4472, {-29.97, -4.96, -1.50}, {29.97, 10.42, 1.50}},
};

inline const mesh_promise* find_promise(const char* file) {
    for (const mesh_promise& p : mesh_promises)
        if (std::strcmp(p.file, file) == 0) return &p;
    return nullptr;
}

}  // namespace velmoria_assets
