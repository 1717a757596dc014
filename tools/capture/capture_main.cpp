// velmoria-capture: renders chosen frames of the show offscreen to PNG files, the
// same frames the show draws at those times with a fixed frame step, records a
// span of the show as an MP4 through ffmpeg, or benchmarks the frame's stages.
// Finds the data as the show does, and starts its own X server when there is no
// display.
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/frame_bench.h"
#include "tools/capture/png_image.h"
#include "tools/capture/private_display.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/video_encoder.h"

#include "platform/data_location.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The show reads its files relative to the working folder: move into the data
// folder the show itself would use.
bool enter_data_folder() {
    const std::string problem = ::enter_data_folder();
    if (problem.empty()) return true;
    std::fprintf(stderr, "velmoria-capture: %s\n", problem.c_str());
    return false;
}

void report(const std::string& file, const rgb_image& image, double demo_time, double part_time, double seconds) {
    const channel_stats s = image_stats(image);
    std::printf("%s: %dx%d, demo time %.4f s, part clock %.4f s, %.2f s\n", file.c_str(), image.width, image.height,
                demo_time, part_time, seconds);
    std::printf("  mean R %.2f G %.2f B %.2f, min %d %d %d, max %d %d %d\n", s.mean[0], s.mean[1], s.mean[2], s.min[0],
                s.min[1], s.min[2], s.max[0], s.max[1], s.max[2]);
    std::fflush(stdout);
}

constexpr const char* music_file = "music/Tolvek - Velmoria.mp3";

volatile std::sig_atomic_t stop_requested = 0;

void request_stop(int) { stop_requested = 1; }

void catch_stop_signals() {
    struct sigaction action {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The progress line: rewritten in place on a terminal, a line every few seconds
// into a file.
class progress_printer {
public:
    explicit progress_printer(long total) : total_(total), start_(std::chrono::steady_clock::now()) {}
    void show(long done, bool last = false) {
        const auto now = std::chrono::steady_clock::now();
        const double since = std::chrono::duration<double>(now - shown_).count();
        if (!last && done > 1 && since < (terminal_ ? 0.25 : 5.0)) return;
        shown_ = now;
        const std::string line = progress_line(done, total_, std::chrono::duration<double>(now - start_).count());
        std::fprintf(stderr, terminal_ ? "\r%s" : "%s\n", line.c_str());
        if (last && terminal_) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    long total_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point shown_{};
    bool terminal_ = isatty(STDERR_FILENO) != 0;
};

// Draws every frame of the span into the encoder; the number of frames sent, or
// -1 when ffmpeg stopped taking them.
long stream_frames(const capture_options& o, capture_session& session, video_encoder& encoder) {
    const long total = video_frame_count(o);
    progress_printer progress(total);
    session.step_clocks_to(o.from);
    long done = 0;
    for (; done < total && !stop_requested; ++done) {
        session.draw_at(video_frame_time(o, done));
        if (!encoder.write(session.read_window())) return -1;
        progress.show(done + 1, done + 1 == total);
    }
    if (done < total) progress.show(done, true);
    return done;
}

int run_video(const capture_options& o) {
    const std::string ffmpeg = find_program("ffmpeg");
    if (ffmpeg.empty()) {
        std::fprintf(stderr, "velmoria-capture: ffmpeg not found on PATH (Debian package ffmpeg)\n");
        return 1;
    }
    const fs::path out = fs::absolute(o.out);
    const std::string problem = output_problem(out.string());
    if (!problem.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot record to %s: %s\n", out.c_str(), problem.c_str());
        return 1;
    }
    if (!enter_data_folder()) return 1;
    std::error_code ignored;
    if (!fs::is_regular_file(music_file, ignored)) {
        std::fprintf(stderr, "velmoria-capture: no soundtrack at data/%s\n", music_file);
        return 1;
    }
    private_display display;
    if (!display.ensure(o.width, o.height)) return 1;
    capture_session session(o.width, o.height, o.rate.step());
    if (!session.open()) return 1;

    const long total = video_frame_count(o);
    video_settings settings{ffmpeg, out.string(), fs::absolute(music_file).string(), o.width, o.height, o.rate,
                            o.from, double(total) * o.rate.step()};
    video_encoder encoder;
    if (!encoder.start(settings)) return 1;
    catch_stop_signals();
    const long done = stream_frames(o, session, encoder);
    const bool encoded = encoder.finish();
    if (done < 0 || !encoded) {
        std::fprintf(stderr, "velmoria-capture: ffmpeg failed; %s is not complete\n", out.c_str());
        return 1;
    }
    const double seconds = double(done) * o.rate.step();
    std::printf("%s: %ld frames, %.3f s of the show from %.3f s%s\n", out.c_str(), done, seconds, o.from,
                done < total ? " (stopped early)" : "");
    return done < total ? 130 : 0;
}

int run_bench_mode(const capture_options& options) {
    if (!enter_data_folder()) return 1;
    private_display display;
    if (!display.ensure(options.width, options.height)) return 1;
    return run_bench(options);
}

int run(const capture_options& options) {
    if (options.mode == capture_mode::video) return run_video(options);
    if (options.mode == capture_mode::bench) return run_bench_mode(options);
    using clock = std::chrono::steady_clock;
    const fs::path out = fs::absolute(options.out);
    const fs::path folder = options.sequence ? out : out.parent_path();
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed) {
        std::fprintf(stderr, "velmoria-capture: cannot make %s\n", folder.c_str());
        return 1;
    }
    if (!enter_data_folder()) return 1;
    private_display display;
    if (!display.ensure(options.width, options.height)) return 1;

    const auto start = clock::now();
    capture_session session(options.width, options.height, options.fps);
    if (!session.open()) return 1;
    std::printf("loaded in %.2f s%s\n", std::chrono::duration<double>(clock::now() - start).count(),
                session.has_music() ? "" : " (no music: silent spectrum)");

    long index = 0;
    for (long frame : frames_to_capture(options)) {
        const auto begin = clock::now();
        const rgb_image image = session.capture(frame);
        const std::string file = options.sequence ? sequence_file_name(out.string(), index++) : out.string();
        if (!write_png(file, image)) return 1;
        report(file, image, session.demo_time(), session.part_time(),
               std::chrono::duration<double>(clock::now() - begin).count());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (asks_for_help(args)) {
        std::printf("%s\n", capture_usage);
        return 0;
    }
    const capture_parse parsed = parse_capture_args(args);
    if (!parsed.options) {
        std::fprintf(stderr, "velmoria-capture: %s\n%s\n", parsed.problem.c_str(), capture_usage);
        return 2;
    }
    return run(*parsed.options);
}
