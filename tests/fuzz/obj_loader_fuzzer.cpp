// Fuzz target: loads arbitrary bytes as OBJ text from memory (the low bit of the
// size forces normal computation), then checks that every index names a vertex and
// every drawn range lies inside the index array; a violation aborts.
#include "geometry/objmesh.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    objmesh mesh;
    mesh.load_from_text(std::string_view(reinterpret_cast<const char*>(data), size), (size & 1) != 0);
    if (mesh.indices.size() != std::size_t(mesh.triangle_count) * 3) __builtin_trap();
    for (uint32_t index : mesh.indices) {
        if (index >= mesh.vertices.size()) __builtin_trap();
    }
    mesh.for_each_drawn_range(-1, [&](int32_t first, int32_t count) {
        if (first < 0 || count < 0 || std::size_t(first) + std::size_t(count) > mesh.indices.size()) __builtin_trap();
    });
    if (mesh.object_starts.empty() || mesh.object_starts.back() != mesh.triangle_count) __builtin_trap();
    return 0;
}
