// The capture tool's command line: one frame at a music time, or a numbered run
// of frames between two times, at a chosen size. Parsing is pure; a bad command
// line gives no options and a reason, and the tool answers with its usage line.
#pragma once

#include <optional>
#include <string>
#include <vector>

constexpr const char* capture_usage =
    "usage: velmoria-capture --time T [--size WxH] [--fps F] --out FILE.png\n"
    "       velmoria-capture --from A --to B --fps F [--size WxH] --out DIR";

constexpr double capture_last_time = 291.0;  // the show ends after this demo time
constexpr int capture_default_fps = 60;      // the fixed step of a single frame

struct capture_options {
    bool sequence = false;
    double time = 0.0;  // single frame
    double from = 0.0;  // sequence
    double to = 0.0;
    int fps = capture_default_fps;
    int width = 1280;
    int height = 720;
    std::string out;
};

struct capture_parse {
    std::optional<capture_options> options;
    std::string problem;  // why the command line was refused
};

capture_parse parse_capture_args(const std::vector<std::string>& args);

// The show's frames at a fixed step of 1/fps: frame n (n >= 1) is drawn at demo
// time n/fps. The frame nearest to a time, never before the first nor after the
// last one drawn before the show ends.
long frame_number_at(double time, int fps);

// The frame numbers the options ask for, in order.
std::vector<long> frames_to_capture(const capture_options& options);

// The file of the index-th frame of a sequence: DIR/frame_00000.png onwards.
std::string sequence_file_name(const std::string& dir, long index);
