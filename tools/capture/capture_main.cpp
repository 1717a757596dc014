// velmoria-capture: renders chosen frames of the show offscreen to PNG files, the
// same frames the show draws at those times with a fixed frame step, records a
// span of the show as an MP4 through ffmpeg (in one process, in parallel jobs or
// one slice at a time, with the join of slices), or benchmarks the frame's stages.
// Finds the data as the show does, and starts its own X server when there is no
// display.
#include "tools/capture/capture_options.h"
#include "tools/capture/child_process.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/frame_bench.h"
#include "tools/capture/parallel_recording.h"
#include "tools/capture/png_image.h"
#include "tools/capture/private_display.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/slice_join.h"
#include "tools/capture/stop_signal.h"
#include "tools/capture/video_encoder.h"

#include "platform/data_location.h"
#include "platform/file_report.h"

#include <chrono>
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

// The soundtrack's full path inside the data folder entered, or empty after
// saying that it is missing.
std::string soundtrack_path() {
    std::error_code ignored;
    const fs::path music = fs::absolute(music_file);
    if (fs::is_regular_file(music, ignored)) return music.string();
    std::fprintf(stderr, "velmoria-capture: no soundtrack at %s\n", music.string().c_str());
    return {};
}

// One frame done: a byte to the parent's pipe for a job, else the progress line.
void frame_done(const capture_options& o, progress_printer& progress, long done, long total) {
    if (o.progress_fd < 0) return progress.show(done, done == total);
    if (write(o.progress_fd, ".", 1) < 0) {
        // the parent has gone; the job ends with the stop it is sent
    }
}

// Draws every frame of the range into the encoder; the number of frames sent, or
// -1 when ffmpeg stopped taking them. The frames before the range are passed over
// on the clocks alone, through the same steps as when they are drawn.
long stream_frames(const capture_options& o, frame_range range, capture_session& session, video_encoder& encoder) {
    progress_printer progress(range.count);
    session.step_clocks_to(o.from);
    for (long n = 0; n < range.first; ++n) session.skip_at(video_frame_time(o, n));
    long done = 0;
    for (; done < range.count && !stop_requested(); ++done) {
        session.draw_at(video_frame_time(o, range.first + done));
        if (!encoder.write(session.read_window())) return -1;
        frame_done(o, progress, done + 1, range.count);
    }
    if (done < range.count && o.progress_fd < 0) progress.show(done, true);
    return done;
}

// The tag a slice file carries, so that a join can check how slices fit.
std::string tag_of_slice(const capture_options& o, frame_range range) {
    slice_info slice;
    slice.id = o.slice, slice.frames = range, slice.total = video_frame_count(o), slice.from = o.from;
    slice.rate = o.rate, slice.width = o.width, slice.height = o.height;
    return slice_tag(slice);
}

// ffmpeg, and ffprobe where slices are joined; false with a message when missing.
bool find_ffmpeg(bool with_ffprobe, std::string& ffmpeg, std::string& ffprobe) {
    ffmpeg = find_program("ffmpeg");
    ffprobe = find_program("ffprobe");
    if (!ffmpeg.empty() && (!with_ffprobe || !ffprobe.empty())) return true;
    std::fprintf(stderr, "velmoria-capture: %s not found on PATH (%s)\n", ffmpeg.empty() ? "ffmpeg" : "ffprobe",
                 ffmpeg_install_hint);
    return false;
}

int run_video(const capture_options& o) {
    catch_stop_signals();
    if (o.progress_fd >= 0) keep_from_children(o.progress_fd);  // not for ffmpeg or Xvfb
    std::string ffmpeg, ffprobe;
    if (!find_ffmpeg(o.jobs > 1, ffmpeg, ffprobe)) return 1;
    const fs::path out = fs::absolute(o.out);
    const std::string problem = output_problem(out.string());
    if (!problem.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot record to %s: %s\n", out.string().c_str(), problem.c_str());
        return 1;
    }
    if (!enter_data_folder()) return 1;
    std::error_code ignored;
    const std::string music = soundtrack_path();
    if (music.empty()) return 1;
    if (o.jobs > 1) return record_in_parallel(o, {ffmpeg, ffprobe, out.string(), o.video_only ? "" : music, {}});
    private_display display;
    if (!display.ensure(o.width, o.height)) return 1;
    capture_session session(o.width, o.height, o.rate.step());
    if (!session.open()) return 1;
    if (stop_requested()) return 130;

    const long total = video_frame_count(o);
    const frame_range range = o.slice.count > 0 ? slice_frames(total, o.slice, video_keyframe_interval(o.rate)) : frame_range{0, total};
    video_settings settings{ffmpeg, out.string(), music, o.width, o.height, o.rate, o.from,
                            double(total) * o.rate.step()};
    settings.with_sound = !o.video_only;
    if (o.slice.count > 0) settings.comment = tag_of_slice(o, range);
    video_encoder encoder;
    if (!encoder.start(settings)) return 1;
    const long done = stream_frames(o, range, session, encoder);
    const bool encoded = encoder.finish();
    if (done < 0 || !encoded) {
        std::fprintf(stderr, "velmoria-capture: ffmpeg failed; %s is not complete\n", out.string().c_str());
        return 1;
    }
    if (o.slice.count > 0 && done < range.count) {
        // An unfinished slice cannot be joined: nothing is left of it.
        fs::remove(out, ignored);
        std::fprintf(stderr, "velmoria-capture: stopped; slice %s removed\n", out.string().c_str());
        return 130;
    }
    std::printf("%s: %ld frames, %.3f s of the show from %.3f s%s\n", out.string().c_str(), done,
                double(done) * o.rate.step(), video_frame_time(o, range.first),
                done < range.count ? " (stopped early)" : "");
    return done < range.count ? 130 : 0;
}

// The music is found from the data folder; the slices and the output stay
// where they are named from the current folder.
int run_join(const capture_options& o) {
    catch_stop_signals();
    std::string ffmpeg, ffprobe;
    if (!find_ffmpeg(true, ffmpeg, ffprobe)) return 1;
    const fs::path out = fs::absolute(o.out);
    const std::string problem = output_problem(out.string());
    if (!problem.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot join into %s: %s\n", out.string().c_str(), problem.c_str());
        return 1;
    }
    std::error_code ignored;
    const fs::path here = fs::current_path(ignored);
    if (!enter_data_folder()) return 1;
    const std::string music = soundtrack_path();
    fs::current_path(here, ignored);
    if (music.empty()) return 1;
    const int code = join_slices({ffmpeg, ffprobe, out.string(), music, o.slices});
    if (code == 0) std::printf("%s: joined %zu slices\n", out.string().c_str(), o.slices.size());
    return code;
}

int run_bench_mode(const capture_options& options) {
    if (!enter_data_folder()) return 1;
    private_display display;
    if (!display.ensure(options.width, options.height)) return 1;
    return run_bench(options);
}

int run(const capture_options& options) {
    if (options.mode == capture_mode::video) return run_video(options);
    if (options.mode == capture_mode::join) return run_join(options);
    if (options.mode == capture_mode::bench) return run_bench_mode(options);
    using clock = std::chrono::steady_clock;
    const fs::path out = fs::absolute(options.out);
    const fs::path folder = options.sequence ? out : out.parent_path();
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed) {
        std::fprintf(stderr, "velmoria-capture: cannot make %s\n", folder.string().c_str());
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
    set_program_name("velmoria-capture");
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
