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
#include "tools/capture/safe_output.h"
#include "tools/capture/slice_join.h"
#include "tools/capture/stop_signal.h"
#include "tools/capture/video_encoder.h"

#include "platform/data_location.h"
#include "platform/file_report.h"
#include "platform/file_kind.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
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
// saying why it cannot be read.
std::string soundtrack_path() {
    std::error_code ignored;
    const fs::path music = fs::absolute(music_file, ignored);
    std::string problem = non_regular_kind(music);
    if (problem.empty()) {
        std::FILE* readable = std::fopen(music.string().c_str(), "rb");
        if (readable) std::fclose(readable);
        else problem = std::strerror(errno);
    }
    if (problem.empty()) return music.string();
    std::fprintf(stderr, "velmoria-capture: cannot open %s: %s\n", music.string().c_str(), problem.c_str());
    return {};
}

// The exit code of a run that could not go on: a stop's when one was asked for
// meanwhile (a signal also breaks off a wait for Xvfb or ffmpeg), else 1.
int failed() { return stop_requested() ? stop_exit_code() : 1; }

// A recording's file: ffmpeg writes beside the target, renamed over it at the end.
struct recording_file {
    std::string target;
    std::string part;
};

// Keeps what ffmpeg wrote (all of it, or up to a stop) under the target's name;
// false when the rename failed.
bool keep_recording(const recording_file& file) {
    std::string problem;
    if (replace_with(file.part, file.target, problem)) return true;
    std::fprintf(stderr, "velmoria-capture: %s\n", problem.c_str());
    return false;
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
    const std::string music = soundtrack_path();
    if (music.empty()) return 1;
    if (o.jobs > 1) return record_in_parallel(o, {ffmpeg, ffprobe, out.string(), o.video_only ? "" : music, {}});
    private_display display;
    if (!display.ensure(o.width, o.height)) return failed();
    capture_session session(o.width, o.height, o.rate.step());
    if (!session.open()) return failed();
    if (stop_requested()) return stop_exit_code();
    recording_file file{output_target(out.string()), ""};
    std::string problem_now;
    file.part = temporary_beside(file.target, problem_now);
    if (file.part.empty()) {
        std::fprintf(stderr, "velmoria-capture: cannot record to %s: %s\n", out.string().c_str(), problem_now.c_str());
        return 1;
    }

    const long total = video_frame_count(o);
    const frame_range range =
        o.slice.count > 0 ? slice_frames(total, o.slice, video_keyframe_interval(o.rate)) : frame_range{0, total};
    video_settings settings{ffmpeg, file.part, music, o.width, o.height, o.rate, o.from,
                            double(total) * o.rate.step()};
    settings.with_sound = !o.video_only;
    if (o.slice.count > 0) settings.comment = tag_of_slice(o, range);
    video_encoder encoder;
    if (!encoder.start(settings)) {
        discard_file(file.part);
        return 1;
    }
    const long done = stream_frames(o, range, session, encoder);
    const bool encoded = encoder.finish();
    if (done < 0 || !encoded) {
        discard_file(file.part);
        const std::string reason = folder_write_problem(fs::path(file.part).parent_path().string());
        std::fprintf(stderr, "velmoria-capture: ffmpeg failed%s%s; %s was not written\n", reason.empty() ? "" : ": ",
                     reason.c_str(), out.string().c_str());
        return 1;
    }
    if (o.slice.count > 0 && done < range.count) {
        // An unfinished slice cannot be joined: nothing is kept of it.
        discard_file(file.part);
        std::fprintf(stderr, "velmoria-capture: stopped; slice %s was not written\n", out.string().c_str());
        return stop_exit_code();
    }
    if (!keep_recording(file)) return 1;
    std::printf("%s: %ld frames, %.3f s of the show from %.3f s%s\n", out.string().c_str(), done,
                double(done) * o.rate.step(), video_frame_time(o, range.first),
                done < range.count ? " (stopped early)" : "");
    return done < range.count ? stop_exit_code() : 0;
}

// The music is found from the data folder; the slices and the output stay
// where they are named from the current folder.
int run_join(const capture_options& o) {
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
    if (!display.ensure(options.width, options.height)) return failed();
    const int code = run_bench(options);
    return stop_requested() ? stop_exit_code() : code;
}

// Where the PNGs go: the file, or the sequence's folder (made when missing);
// false after saying why not.
bool prepare_png_output(const capture_options& options, const fs::path& out) {
    const fs::path folder = options.sequence ? out : out.parent_path();
    std::error_code failed_to_make;
    fs::create_directories(folder, failed_to_make);
    if (failed_to_make || !fs::is_directory(folder, failed_to_make)) {
        const std::string kind = non_regular_kind(folder);
        std::fprintf(stderr, "velmoria-capture: cannot make the folder %s: %s\n", folder.string().c_str(),
                     kind.empty() ? failed_to_make.message().c_str() : kind.c_str());
        return false;
    }
    const std::string problem = options.sequence ? "" : output_problem(out.string());
    if (problem.empty()) return true;
    std::fprintf(stderr, "velmoria-capture: cannot write %s: %s\n", out.string().c_str(), problem.c_str());
    return false;
}

int run(const capture_options& options) {
    if (options.mode == capture_mode::video) return run_video(options);
    if (options.mode == capture_mode::join) return run_join(options);
    if (options.mode == capture_mode::bench) return run_bench_mode(options);
    using clock = std::chrono::steady_clock;
    const fs::path out = fs::absolute(options.out);
    if (!prepare_png_output(options, out)) return 1;
    if (!enter_data_folder()) return 1;
    private_display display;
    if (!display.ensure(options.width, options.height)) return failed();

    capture_session session(options.width, options.height, 1.0 / options.fps);
    if (!session.open()) return failed();
    if (stop_requested()) return stop_exit_code();

    long index = 0;
    for (long frame : frames_to_capture(options)) {
        if (stop_requested()) break;
        const auto begin = clock::now();
        const rgb_image image = session.capture(frame);
        const std::string file = options.sequence ? sequence_file_name(out.string(), index++) : out.string();
        if (!write_png(file, image)) return 1;
        report(file, image, session.demo_time(), session.part_time(),
               std::chrono::duration<double>(clock::now() - begin).count());
    }
    return stop_exit_code();
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
    catch_stop_signals();
    try {
        return run(*parsed.options);
    } catch (const std::exception& e) {
        // Whatever the system refused on the way (a vanished working folder, no
        // memory left): one message, and the private display and children end.
        std::fprintf(stderr, "velmoria-capture: %s\n", e.what());
        return 1;
    }
}
