// Command-line parsing of the capture tool, and the frame numbers it implies.
#include "tools/capture/capture_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

bool parse_size(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return parse_whole(text.substr(0, x), width) && parse_whole(text.substr(x + 1), height);
}

bool in_show(double t) { return t >= 0.0 && t <= capture_last_time; }

capture_parse refuse(const std::string& problem) { return {std::nullopt, problem}; }

}  // namespace

capture_parse parse_capture_args(const std::vector<std::string>& args) {
    capture_options o;
    bool has_time = false, has_from = false, has_to = false, has_fps = false, has_out = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) return refuse(name + " needs a value");
        const std::string& value = args[++i];
        bool ok = false;
        if (name == "--time") ok = parse_number(value, o.time), has_time = true;
        else if (name == "--from") ok = parse_number(value, o.from), has_from = true;
        else if (name == "--to") ok = parse_number(value, o.to), has_to = true;
        else if (name == "--fps") ok = parse_whole(value, o.fps), has_fps = true;
        else if (name == "--size") ok = parse_size(value, o.width, o.height);
        else if (name == "--out") ok = !value.empty(), o.out = value, has_out = true;
        else return refuse("unknown option " + name);
        if (!ok) return refuse("bad value for " + name + ": " + value);
    }
    if (!has_out) return refuse("--out is required");
    if (o.width < 16 || o.height < 16 || o.width > 8192 || o.height > 8192) return refuse("size out of range");
    if (o.fps < 1 || o.fps > 1000) return refuse("fps out of range");
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

long frame_number_at(double time, int fps) {
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
