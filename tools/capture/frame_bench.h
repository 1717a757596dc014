// The capture tool's benchmark: frames spread over the show, each drawn by the
// real frame driver with a probe on the main part. Per frame it keeps the wall and
// CPU time of the clock, the choreography's own work, the scene submission, the
// post-processing passes and the whole frame, and the GPU time of each pass where
// GL timer queries exist.
#pragma once

#include "parts/frame_probe.h"
#include "tools/capture/stage_clock.h"
#include "tools/capture/timed_scene_sink.h"

#include <array>
#include <string>
#include <vector>

struct capture_options;

enum class bench_row { clock, choreography, submission, tubes, meshes, post_processing, show_cpu_work, frame };
constexpr int bench_row_count = 8;
constexpr std::array<const char*, bench_row_count> bench_row_names = {
    "clock", "choreography", "submission", "  of it tubes", "  of it meshes", "post-processing", "show's CPU work",
    "whole frame"};

// The four passes timed on the GPU.
constexpr std::array<frame_stage, 4> gpu_passes = {frame_stage::scene_pass, frame_stage::ambient_occlusion,
                                                   frame_stage::highlights, frame_stage::final_composite};
constexpr std::array<const char*, 4> gpu_pass_names = {"scene pass", "ambient occlusion", "highlights",
                                                       "final composite"};

struct bench_frame {
    double show_time = 0.0;
    std::array<stage_time, bench_row_count> rows{};
    std::array<double, 4> gpu{};  // seconds, when timer queries exist
};

// Median and worst of a set of values (the upper median for an even count).
struct spread {
    double median = 0.0;
    double worst = 0.0;
};
spread spread_of(std::vector<double> values);

// The report's table; `gpu` adds the GPU column block.
std::string bench_report(const std::vector<bench_frame>& frames, bool gpu, int width, int height);

// Times each stage of the part's frames; the GPU queries are made in begin/end.
class bench_probe : public frame_probe {
public:
    explicit bench_probe(bool use_timer_queries);
    ~bench_probe() override;
    bench_probe(const bench_probe&) = delete;
    bench_probe& operator=(const bench_probe&) = delete;

    void begin(frame_stage stage) override;
    void end(frame_stage stage) override;
    scene_sink& scene_sink_for(scene_sink& part_sink) override;

    void start_frame();
    // After the frame has finished on the GPU: the stages of the frame that took
    // `whole` from start to finish.
    bench_frame finish_frame(const stage_time& whole);

private:
    std::array<stage_time, frame_stage_count> started_{};
    std::array<stage_time, frame_stage_count> spent_{};
    std::array<unsigned, 4> queries_{};
    bool queries_on_;
    timed_scene_sink sink_;
};

// The --bench run: draws the frames and prints the report; the exit status.
int run_bench(const capture_options& options);
