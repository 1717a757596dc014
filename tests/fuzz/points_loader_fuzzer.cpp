// Fuzz target: loads arbitrary bytes as a point file from memory, then evaluates
// the resulting spline (open and looping, single and all channels) at parameters
// taken from the input and sweeps a small tube along it, so that short splines
// and odd parameters are exercised too.
#include "geometry/spline.h"
#include "geometry/tube.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    spline s;
    s.load_points_from_text(std::string_view(reinterpret_cast<const char*>(data), size));
    if (s.count < 0 || std::size_t(s.count) != s.positions.size()) __builtin_trap();
    if (size < 8) return 0;
    // The last eight bytes pick two parameters.
    float t[2];
    std::memcpy(t, data + size - 8, sizeof t);
    vector3 a = vector3::of(0, 0, 0), b = a, c = a;
    for (bool looping : {true, false}) {
        s.looping = looping;
        for (float u : {t[0], t[1], 0.5f, float(s.count) - 0.5f, float(s.count) + 3.0f, -1.0f}) {
            s.evaluate(u, a);
            s.evaluate_all(u, a, b, c);
        }
    }
    if (s.count > 0 && s.count <= 200) {
        std::vector<tube_vertex> buffer;
        const int sides = 1 + data[0] % 8;
        generate_tube(s, vector3::of(0, 0, 1), double(t[0]) / 1e30, double(s.count), s.count, sides, buffer);
    }
    return 0;
}
