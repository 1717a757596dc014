// Cost of the main part's frame on the GL the benchmark runs on (llvmpipe under
// Xvfb in our runs), at two picture sizes and at show times of light and heavy
// scenes, and of stepping its clock without drawing (what the capture tool does
// for every frame before the one it draws). Run by hand from data/; not a test.
#include "app/app_record.h"
#include "parts/part_start.h"
#include "render/render_context.h"
#include "tests/support/gl_test_context.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void frame_cost(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = width * 9 / 16;
    const double t = static_cast<double>(state.range(1));
    app = AppRecord();
    app.render_width = app.window_width = width;
    app.render_height = app.window_height = height;
    gl_test::GlTestContext gl(width, height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    RenderContext& context = app.render_context;
    context.sizes.render_width = width;  // as the driver hands them
    context.sizes.render_height = context.sizes.window_height = height;
    context.create_render_target(0, width, height, 4);
    context.create_render_target(1, width / 4, height / 4, 0);
    auto part = std::make_unique<part_start>();
    part->init(&context);
    for (auto _ : state) {
        part->scene_time = t;
        FrameTiming timing;
        part->draw(&timing, &context, &app.pointer_state);
        glFinish();
    }
}
BENCHMARK(frame_cost)->Args({640, 60})->Args({640, 200})->Args({1280, 60})->Args({1280, 200})
    ->Unit(benchmark::kMillisecond)->Iterations(3);

void clock_steps_to_290_seconds(benchmark::State& state) {
    for (auto _ : state) {
        part_start part;
        part.scene_time = -2.0;
        FrameTiming timing;
        for (int frame = 0; frame < 290 * 60; ++frame) {
            timing.step = 1.0 / 60.0;
            part.advance_clock(timing);
        }
        benchmark::DoNotOptimize(part.scene_time);
    }
}
BENCHMARK(clock_steps_to_290_seconds)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
