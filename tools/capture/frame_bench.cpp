// The benchmark's probe, its figures and its run.
#include "tools/capture/frame_bench.h"

#include "parts/part_start.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/stop_signal.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

int gpu_index(frame_stage stage) {
    for (size_t i = 0; i < gpu_passes.size(); ++i)
        if (gpu_passes[i] == stage) return static_cast<int>(i);
    return -1;
}

size_t at(frame_stage stage) { return static_cast<size_t>(stage); }

std::string milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%9.3f", seconds * 1000.0);
    return text;
}

}  // namespace

spread spread_of(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

bench_probe::bench_probe(bool use_timer_queries) : queries_on_(use_timer_queries) {
    if (queries_on_) glGenQueries(static_cast<GLsizei>(queries_.size()), queries_.data());
}

bench_probe::~bench_probe() {
    if (queries_on_) glDeleteQueries(static_cast<GLsizei>(queries_.size()), queries_.data());
}

void bench_probe::begin(frame_stage stage) {
    const int gpu = gpu_index(stage);
    if (queries_on_ && gpu >= 0) glBeginQuery(GL_TIME_ELAPSED, queries_[static_cast<size_t>(gpu)]);
    started_[at(stage)] = stage_now();
}

void bench_probe::end(frame_stage stage) {
    spent_[at(stage)] += stage_since(started_[at(stage)]);
    if (queries_on_ && gpu_index(stage) >= 0) glEndQuery(GL_TIME_ELAPSED);
}

scene_sink& bench_probe::scene_sink_for(scene_sink& part_sink) {
    sink_.forward_to(part_sink);
    return sink_;
}

void bench_probe::start_frame() {
    spent_ = {};
    sink_.reset();
}

bench_frame bench_probe::finish_frame(const stage_time& whole) {
    bench_frame f;
    auto& rows = f.rows;
    rows[size_t(bench_row::clock)] = spent_[at(frame_stage::clock)];
    rows[size_t(bench_row::choreography)] = spent_[at(frame_stage::choreography)];
    rows[size_t(bench_row::choreography)] -= sink_.spent;
    rows[size_t(bench_row::submission)] = spent_[at(frame_stage::scene_pass)];
    rows[size_t(bench_row::submission)] -= rows[size_t(bench_row::choreography)];
    rows[size_t(bench_row::tubes)] = sink_.tubes;
    rows[size_t(bench_row::meshes)] = sink_.meshes;
    for (frame_stage s : {frame_stage::ambient_occlusion, frame_stage::highlights, frame_stage::final_composite})
        rows[size_t(bench_row::post_processing)] += spent_[at(s)];
    rows[size_t(bench_row::show_cpu_work)] = rows[size_t(bench_row::clock)];
    rows[size_t(bench_row::show_cpu_work)] += spent_[at(frame_stage::scene_pass)];
    rows[size_t(bench_row::frame)] = whole;
    if (queries_on_) {
        for (size_t i = 0; i < queries_.size(); ++i) {
            GLuint64 ns = 0;
            glGetQueryObjectui64v(queries_[i], GL_QUERY_RESULT, &ns);
            f.gpu[i] = double(ns) * 1e-9;
        }
    }
    return f;
}

std::string bench_report(const std::vector<bench_frame>& frames, bool gpu, int width, int height) {
    std::ostringstream out;
    out << frames.size() << " frames at " << width << "x" << height << ", times in ms\n";
    out << "stage                 wall median     worst  cpu median     worst\n";
    double total_wall = 0.0;
    for (const bench_frame& f : frames) total_wall += f.rows[size_t(bench_row::frame)].wall;
    for (int r = 0; r < bench_row_count; ++r) {
        std::vector<double> wall, cpu;
        for (const bench_frame& f : frames) wall.push_back(f.rows[size_t(r)].wall), cpu.push_back(f.rows[size_t(r)].cpu);
        const spread w = spread_of(wall), c = spread_of(cpu);
        char name[24];
        std::snprintf(name, sizeof name, "%-18s", bench_row_names[size_t(r)]);
        out << name << milliseconds(w.median) << " " << milliseconds(w.worst) << "  " << milliseconds(c.median)
            << " " << milliseconds(c.worst) << "\n";
    }
    std::vector<double> share;
    for (const bench_frame& f : frames)
        share.push_back(f.rows[size_t(bench_row::show_cpu_work)].cpu / f.rows[size_t(bench_row::frame)].wall);
    const spread s = spread_of(share);
    std::vector<const bench_frame*> heaviest;
    for (const bench_frame& f : frames) heaviest.push_back(&f);
    const auto cpu_of = [](const bench_frame* f) { return f->rows[size_t(bench_row::show_cpu_work)].cpu; };
    std::sort(heaviest.begin(), heaviest.end(), [&](auto a, auto b) { return cpu_of(a) > cpu_of(b); });
    out << "heaviest show CPU work at:";
    for (size_t i = 0; i < heaviest.size() && i < 3; ++i) {
        char at[64];
        std::snprintf(at, sizeof at, " %.1f s (%.2f ms)", heaviest[i]->show_time, cpu_of(heaviest[i]) * 1000.0);
        out << at;
    }
    out << "\n";
    char line[160];
    std::snprintf(line, sizeof line, "show's CPU work / frame wall time: median %.1f %%, worst %.1f %%\n",
                  s.median * 100.0, s.worst * 100.0);
    out << line;
    std::snprintf(line, sizeof line, "frames per second: %.2f\n", total_wall > 0.0 ? frames.size() / total_wall : 0.0);
    out << line;
    if (!gpu) {
        out << "GPU time: GL_ARB_timer_query not available\n";
        return out.str();
    }
    out << "GPU time per pass (GL_ARB_timer_query)  median     worst\n";
    for (size_t p = 0; p < gpu_passes.size(); ++p) {
        std::vector<double> values;
        for (const bench_frame& f : frames) values.push_back(f.gpu[p]);
        const spread g = spread_of(values);
        char name[40];
        std::snprintf(name, sizeof name, "%-34s", gpu_pass_names[p]);
        out << name << milliseconds(g.median) << " " << milliseconds(g.worst) << "\n";
    }
    return out.str();
}

int run_bench(const capture_options& options) {
    capture_session session(options.width, options.height, capture_default_fps);
    if (!session.open()) return 1;
    const bool timer_queries = GLEW_ARB_timer_query != 0;
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    bench_probe probe(timer_queries);
    session.part()->probe = &probe;
    const double step = 1.0 / capture_default_fps;
    std::vector<bench_frame> frames;
    // One frame first, not counted: the software rasteriser compiles its shaders
    // on their first draw.
    const std::vector<double> times = bench_times(options.bench_frames);
    session.step_clocks_to(times.front() - 2 * step);
    session.draw_at(times.front() - step);
    progress_printer progress(long(times.size()));
    for (double t : times) {
        if (stop_requested()) break;
        session.step_clocks_to(t - step);
        glFinish();  // nothing of the previous frame is left in the queue
        probe.start_frame();
        const stage_time start = stage_now();
        session.draw_at(t);
        glFinish();
        frames.push_back(probe.finish_frame(stage_since(start)));
        frames.back().show_time = t;
        progress.show(long(frames.size()), frames.size() == times.size());
    }
    if (frames.size() < times.size()) progress.show(long(frames.size()), true);
    session.part()->probe = nullptr;
    std::fputs(bench_report(frames, timer_queries, options.width, options.height).c_str(), stdout);
    return 0;
}
