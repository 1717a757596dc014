// Command-line parsing of the capture tool, and the frames and times it implies.
#include "tools/capture/capture_options.h"

#include "app/command_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {

bool parse_number(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool parse_whole(const std::string& text, int& out) {
    double value = 0.0;
    if (!parse_number(text, value) || value != std::trunc(value) || std::fabs(value) > 1e6) return false;
    out = static_cast<int>(value);
    return true;
}

// The show's own reading of "WxH"; the capture tool's range is checked apart.
bool parse_size(const std::string& text, int& width, int& height) {
    std::pair<int32_t, int32_t> size;
    if (!parse_size_text(text, size)) return false;
    width = size.first;
    height = size.second;
    return true;
}

bool in_show(double t) { return t >= 0.0 && t <= capture_last_time; }

capture_parse refuse(const std::string& problem) { return {std::nullopt, problem}; }

// A PNG run's rate: written as a video's is, whole, decimal or a fraction.
bool parse_png_rate(const std::string& text, double& fps) {
    frame_rate rate;
    if (!parse_frame_rate(text, rate)) return false;
    fps = rate.value();
    return true;
}

bool size_in_range(const capture_options& o) {
    return o.width >= 16 && o.height >= 16 && o.width <= 8192 && o.height <= 8192;
}

// Which kind of run the command line asks for.
capture_mode mode_of(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--join") return capture_mode::join;
        if (a == "--video" || a == "--slice") return capture_mode::video;
        if (a == "--bench") return capture_mode::bench;
    }
    for (const std::string& a : args) {
        if (a == "--from" || a == "--to") return capture_mode::sequence;
    }
    return capture_mode::frame;
}

capture_parse check_png(capture_options o, bool has_time, bool has_from, bool has_to, bool has_fps) {
    if (o.out.empty()) return refuse("--out is required");
    if (!size_in_range(o)) return refuse("size out of range");
    if (!(o.fps > 0.0) || o.fps > 1000.0) return refuse("fps out of range");
    if (1.0 / o.fps >= capture_last_time) return refuse("fps too low: the first frame would come after the show");
    o.sequence = has_from || has_to;
    if (o.sequence) {
        if (has_time) return refuse("--time and --from/--to exclude each other");
        if (!has_from || !has_to || !has_fps) return refuse("a sequence needs --from, --to and --fps");
        if (!in_show(o.from) || !in_show(o.to) || o.to < o.from) return refuse("times out of the show");
    } else {
        if (!has_time) return refuse("--time or --from/--to is required");
        if (!in_show(o.time)) return refuse("time out of the show");
    }
    return {o, ""};
}

capture_parse check_video(const capture_options& o) {
    if (o.out.empty()) return refuse("--video needs an output file");
    if (!size_in_range(o)) return refuse("size out of range (16 to 8192 each way)");
    if (o.width % 2 != 0 || o.height % 2 != 0) return refuse("the video size must be even both ways (yuv420p)");
    if (!in_show(o.from) || !in_show(o.to) || o.to <= o.from)
        return refuse("--from and --to must satisfy 0 <= from < to <= 291");
    if (video_frame_count(o) < 1) return refuse("the span is shorter than one frame");
    if (o.jobs < 1 || o.jobs > capture_max_jobs) return refuse("--jobs must be 1 to 256");
    if (o.slice.count > 0 && o.jobs > 1) return refuse("--slice and --jobs exclude each other");
    if (o.slice.count > video_keyframe_count(o))
        return refuse("more slices than keyframes in the span (" + std::to_string(video_keyframe_count(o)) +
                      "): every slice starts on one, one a second");
    return {o, ""};
}

// --join OUT.mp4 SLICE...: the output, then every other word is a slice file.
capture_parse parse_join(const std::vector<std::string>& args) {
    capture_options o;
    o.mode = capture_mode::join;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--join") {
            if (i + 1 >= args.size() || !o.out.empty()) return refuse("--join needs one output file");
            o.out = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            return refuse("unknown option " + args[i] + " here");
        } else {
            o.slices.push_back(args[i]);
        }
    }
    if (o.out.empty()) return refuse("--join needs an output file");
    if (o.slices.empty()) return refuse("--join needs the slice files after the output");
    return {o, ""};
}

capture_parse check_bench(const capture_options& o) {
    if (!size_in_range(o)) return refuse("size out of range (16 to 8192 each way)");
    if (o.bench_frames < 1 || o.bench_frames > 100000) return refuse("--frames must be 1 to 100000");
    return {o, ""};
}

}  // namespace

bool parse_frame_rate(const std::string& text, frame_rate& rate) {
    const size_t slash = text.find('/');
    double num = 0.0, den = 1.0;
    if (slash == std::string::npos) {
        if (!parse_number(text, num)) return false;
        den = 1000.0;
        num = std::round(num * 1000.0);
    } else if (!parse_number(text.substr(0, slash), num) || !parse_number(text.substr(slash + 1), den)) {
        return false;
    }
    if (num != std::trunc(num) || den != std::trunc(den) || num < 1.0 || den < 1.0 || num > 1e9 || den > 1e9)
        return false;
    if (num / den > 1000.0) return false;
    const long g = std::gcd(long(num), long(den));
    rate = {long(num) / g, long(den) / g};
    return true;
}

bool parse_slice_id(const std::string& text, slice_id& slice) {
    const size_t slash = text.find('/');
    slice_id s;
    if (slash == std::string::npos || !parse_whole(text.substr(0, slash), s.index) ||
        !parse_whole(text.substr(slash + 1), s.count))
        return false;
    if (s.index < 1 || s.count < 1 || s.index > s.count || s.count > capture_max_jobs) return false;
    slice = s;
    return true;
}

capture_parse parse_capture_args(const std::vector<std::string>& args) {
    capture_options o;
    o.mode = mode_of(args);
    if (o.mode == capture_mode::join) return parse_join(args);
    if (o.mode == capture_mode::video) {
        o.width = 1920, o.height = 1080, o.from = 0.0, o.to = capture_last_time;
    }
    bool has_time = false, has_from = false, has_to = false, has_fps = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        const bool video = o.mode == capture_mode::video;
        const bool bench = o.mode == capture_mode::bench;
        if (name == "--bench") continue;
        if (name == "--video-only" && video) {
            o.video_only = true;
            continue;
        }
        if (i + 1 >= args.size()) return refuse(name + " needs a value");
        const std::string& value = args[++i];
        bool ok = false;
        if (name == "--time" && !video && !bench) ok = parse_number(value, o.time), has_time = true;
        else if (name == "--from" && !bench) ok = parse_number(value, o.from), has_from = true;
        else if (name == "--to" && !bench) ok = parse_number(value, o.to), has_to = true;
        else if (name == "--fps" && video) ok = parse_frame_rate(value, o.rate);
        else if (name == "--fps" && !bench) ok = parse_png_rate(value, o.fps), has_fps = true;
        else if (name == "--size") ok = parse_size(value, o.width, o.height);
        else if (name == "--out" && !video && !bench) ok = !value.empty(), o.out = value;
        else if (name == "--video" && video) ok = !value.empty(), o.out = value;
        else if (name == "--jobs" && video) ok = parse_whole(value, o.jobs);
        else if (name == "--slice" && video) ok = parse_slice_id(value, o.slice), o.video_only = true;
        else if (name == "--progress-fd" && video) ok = parse_whole(value, o.progress_fd) && o.progress_fd > 2;
        else if (name == "--frames" && bench) ok = parse_whole(value, o.bench_frames);
        else return refuse("unknown option " + name + (video || bench ? " here" : ""));
        if (!ok) return refuse("bad value for " + name + ": " + value);
    }
    if (o.mode == capture_mode::video) return check_video(o);
    if (o.mode == capture_mode::bench) return check_bench(o);
    return check_png(o, has_time, has_from, has_to, has_fps);
}

bool asks_for_help(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

long frame_number_at(double time, double fps) {
    // The last frame is the last one drawn before the show ends at 291 seconds.
    const long last = static_cast<long>(std::ceil(capture_last_time * fps)) - 1;
    const long n = std::lround(time * fps);
    return n < 1 ? 1 : (n > last ? last : n);
}

std::vector<long> frames_to_capture(const capture_options& options) {
    if (!options.sequence) return {frame_number_at(options.time, options.fps)};
    std::vector<long> frames;
    const long first = frame_number_at(options.from, options.fps);
    const long last = frame_number_at(options.to, options.fps);
    for (long n = first; n <= last; ++n) frames.push_back(n);
    return frames;
}

std::string sequence_file_name(const std::string& dir, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05ld.png", index);
    return dir + "/" + name;
}

long video_frame_count(const capture_options& options) {
    long n = std::lround((options.to - options.from) * options.rate.value());
    // No frame may reach the show's end, where the driver stops the show.
    while (n > 0 && video_frame_time(options, n - 1) >= capture_last_time) --n;
    return n;
}

double video_frame_time(const capture_options& options, long n) {
    return options.from + double(n) * double(options.rate.den) / double(options.rate.num);
}

long video_keyframe_interval(const frame_rate& rate) { return std::max(1L, std::lround(rate.value())); }

long video_keyframe_count(const capture_options& options) {
    const long interval = video_keyframe_interval(options.rate);
    return (video_frame_count(options) + interval - 1) / interval;
}

std::vector<double> bench_times(int frames) {
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) times.push_back(capture_last_time * (i + 0.5) / frames);
    return times;
}
