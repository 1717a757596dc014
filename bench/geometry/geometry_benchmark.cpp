// Timing of the geometry hot spots: the heaviest frame's tubes (groups A to E
// after scene time 190: 5 x 40 sides / 100 segments, 10 x 3 / 50, 5 x 40 / 100,
// 10 x 6 / 100, 10 x 3 / 100, each over 100 keys) and loading a 100k-triangle OBJ.
// Run by hand: build-dir/bench/geometry/geometry_benchmark
#include "geometry/objmesh.h"
#include "geometry/tube.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

struct tube_job {
    int strands;
    double t1;
    int steps;
    int sides;
};

const tube_job heaviest_frame[] = {{5, 100, 100, 40}, {10, 50, 50, 3}, {5, 100, 100, 40}, {10, 100, 100, 6}, {10, 100, 100, 3}};

spline strand(int j) {
    spline s;
    for (int i = 0; i < 100; ++i) {
        s.append_key(vector3::of(0.3f * float(j % 7), 0.64f * float(i), -0.2f * float(j % 5)),
                     vector3::of(0.3f + 0.01f * float((i * 7 + j) % 13), 0, 0), vector3::of(0, 0, 0));
    }
    return s;
}

void HeaviestFrameTubes(benchmark::State& state) {
    std::vector<spline> strands;
    for (int j = 0; j < 40; ++j) strands.push_back(strand(j));
    std::vector<tube_vertex> buffer;
    const vector3 up = vector3::of(0, 0, 1);
    int64_t quads = 0;
    for (auto _ : state) {
        quads = 0;
        int k = 0;
        for (const tube_job& job : heaviest_frame) {
            for (int j = 0; j < job.strands; ++j) {
                quads += generate_tube(strands[std::size_t(k++)], up, 0, job.t1, job.steps, job.sides, buffer);
                benchmark::DoNotOptimize(buffer.data());
            }
        }
    }
    state.counters["quads_per_frame"] = double(quads);
}
BENCHMARK(HeaviestFrameTubes)->Unit(benchmark::kMillisecond);

// A grid of quads split by the diagonal: about 100k triangles, with texture
// coordinates and no normals, so the loader also computes smooth normals.
std::string grid_obj(int size) {
    std::string text;
    text.reserve(std::size_t(size) * size * 80);
    for (int y = 0; y <= size; ++y) {
        for (int x = 0; x <= size; ++x) {
            text += "v " + std::to_string(x * 0.01) + " " + std::to_string(y * 0.01) + " " + std::to_string((x * y) % 7 * 0.001) + "\n";
            text += "vt " + std::to_string(x / double(size)) + " " + std::to_string(y / double(size)) + "\n";
        }
    }
    text += "o grid\n";
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int a = y * (size + 1) + x + 1, b = a + 1, c = a + size + 2, d = a + size + 1;
            for (int corner : {a, b, c}) text += (corner == a ? "f " : " ") + std::to_string(corner) + "/" + std::to_string(corner);
            text += "\nf " + std::to_string(a) + "/" + std::to_string(a) + " " + std::to_string(c) + "/" +
                    std::to_string(c) + " " + std::to_string(d) + "/" + std::to_string(d) + "\n";
        }
    }
    return text;
}

void LoadObj100kTriangles(benchmark::State& state) {
    const std::string text = grid_obj(224);  // 2 * 224 * 224 = 100,352 triangles
    int32_t triangles = 0;
    for (auto _ : state) {
        objmesh mesh;
        mesh.load_from_text(text, false);
        triangles = mesh.triangle_count;
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.counters["triangles"] = triangles;
    state.counters["MB"] = double(text.size()) / 1e6;
}
BENCHMARK(LoadObj100kTriangles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
