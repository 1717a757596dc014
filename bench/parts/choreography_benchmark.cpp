// CPU cost of building one choreography frame, with no GL: the arithmetic, the
// random draws and the strand splines alone (recorded), and the same frame with
// every tube's quads generated as the GL sink would. Run by hand.
#include "geometry/tube.h"
#include "parts/choreography.h"
#include "tests/support/scene_recorder.h"

#include <benchmark/benchmark.h>

namespace {

// Records the frame and also generates each tube into one reused buffer.
class generating_recorder : public scene_recorder {
public:
    void draw_tube(spline& path, const vector3& up, double t0, double t1, int steps, int sides) override {
        quads += generate_tube(path, up, t0, t1, steps, sides, buffer);
    }
    std::vector<tube_vertex> buffer;
    long quads = 0;
};

choreography_frame heaviest_frame() {
    choreography_frame f;
    f.scene_time = 200.0;
    f.show_time = 200.0;
    f.frame_camera = view_pose{vector3::of(0, 1, 0), vector3::of(0, 5, 0), vector3::of(0, 0, 1)};
    return f;
}

void ChoreographyRecorded(benchmark::State& state) {
    const choreography_frame f = heaviest_frame();
    for (auto _ : state) {
        scene_recorder r;
        draw_choreography(f, r);
        benchmark::DoNotOptimize(r.draws.data());
    }
}
BENCHMARK(ChoreographyRecorded)->Unit(benchmark::kMillisecond);

void ChoreographyWithTubeGeneration(benchmark::State& state) {
    const choreography_frame f = heaviest_frame();
    generating_recorder r;
    for (auto _ : state) {
        r.draws.clear();
        draw_choreography(f, r);
        benchmark::DoNotOptimize(r.buffer.data());
    }
    state.counters["quads"] = double(r.quads) / double(state.iterations());
}
BENCHMARK(ChoreographyWithTubeGeneration)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
