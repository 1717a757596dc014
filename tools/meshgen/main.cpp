// meshgen: writes the show's five OBJ meshes into a folder and checks each against
// the figures promised in mesh_promises.h (objects, triangles, bounding box).
// Usage: meshgen OUT_DIR [FONT_FILE]   |   meshgen --print-promises [FONT_FILE]
#include "tools/meshgen/generators.h"
#include "tools/meshgen/mesh_promises.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* default_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct built {
    const char* file;
    meshgen::mesh m;
};

bool matches(const velmoria_assets::mesh_promise& p, const meshgen::mesh& m) {
    const meshgen::bounds b = m.box();
    const double lo[3] = {b.lo.x, b.lo.y, b.lo.z}, hi[3] = {b.hi.x, b.hi.y, b.hi.z};
    bool ok = static_cast<int>(m.object_count()) == p.objects && static_cast<int>(m.triangle_count()) == p.triangles;
    for (int k = 0; k < 3; ++k)
        ok = ok && std::fabs(lo[k] - p.lo[k]) <= velmoria_assets::bounds_tolerance &&
             std::fabs(hi[k] - p.hi[k]) <= velmoria_assets::bounds_tolerance;
    return ok;
}

void print_promise(const char* file, const meshgen::mesh& m) {
    const meshgen::bounds b = m.box();
    std::printf("    {\"%s\", %zu, %zu, {%.2f, %.2f, %.2f}, {%.2f, %.2f, %.2f}},\n", file, m.object_count(),
                m.triangle_count(), b.lo.x, b.lo.y, b.lo.z, b.hi.x, b.hi.y, b.hi.z);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: meshgen OUT_DIR [FONT_FILE] | meshgen --print-promises [FONT_FILE]\n");
        return 2;
    }
    const std::string font = argc == 3 ? argv[2] : default_font;
    built meshes[] = {{"quorrel.obj", meshgen::figure_mesh()},
                      {"quorrels.obj", meshgen::simple_figure_mesh()},
                      {"wings.obj", meshgen::wing_mesh()},
                      {"transf3.obj", meshgen::structure_mesh()},
                      {"credits.obj", meshgen::credits_mesh(font)}};
    if (std::strcmp(argv[1], "--print-promises") == 0) {
        for (const built& b : meshes) print_promise(b.file, b.m);
        return 0;
    }
    int failures = 0;
    for (const built& b : meshes) {
        const std::string text = b.m.obj_text("# " + std::string(b.file) + ": written by tools/meshgen\n");
        const std::string path = std::string(argv[1]) + "/" + b.file;
        std::ofstream out(path, std::ios::binary);
        out << text;
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const velmoria_assets::mesh_promise* promise = velmoria_assets::find_promise(b.file);
        const bool ok = promise && matches(*promise, b.m);
        std::printf("%-13s %zu objects %6zu triangles %8zu bytes %s\n", b.file, b.m.object_count(),
                    b.m.triangle_count(), text.size(), ok ? "ok" : "DIFFERS FROM PROMISE");
        failures += ok ? 0 : 1;
    }
    if (failures) std::fprintf(stderr, "update mesh_promises.h (meshgen --print-promises) if the change is meant\n");
    return failures ? 1 : 0;
}
