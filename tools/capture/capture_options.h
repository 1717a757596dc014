// The capture tool's command line: one frame at a music time, a numbered run of
// frames between two times, a video of a span streamed to ffmpeg (whole, in
// parallel jobs or one slice of it), the join of slices, or a benchmark of the
// frame's stages. Parsing is pure; a bad command line gives no options and a
// reason, and the tool answers with its usage line.
#pragma once

#include <optional>
#include <string>
#include <vector>

constexpr const char* capture_usage =
    "usage: velmoria-capture --time T [--size WxH] [--fps F|N/D] --out FILE.png\n"
    "       velmoria-capture --from A --to B --fps F|N/D [--size WxH] --out DIR\n"
    "       velmoria-capture --video OUT.mp4 [--size WxH] [--fps F|N/D] [--from A] [--to B] [--jobs N] [--video-only]\n"
    "       velmoria-capture --slice K/N --video-only --video OUT.K.mp4 [--size WxH] [--fps F|N/D] [--from A] [--to B]\n"
    "       velmoria-capture --join OUT.mp4 SLICE.mp4...\n"
    "       velmoria-capture --bench [--size WxH] [--frames N]";

constexpr double capture_last_time = 291.0;  // the show ends after this demo time
constexpr int capture_default_fps = 60;      // the fixed step of a single frame

enum class capture_mode { frame, sequence, video, join, bench };

// A frame rate as a fraction, so that 60000/1001 steps exactly.
struct frame_rate {
    long num = 60;
    long den = 1;
    double value() const { return double(num) / double(den); }
    double step() const { return double(den) / double(num); }
};

// Slice `index` of `count` (1-based); a count of 0 is the whole recording.
struct slice_id {
    int index = 0;
    int count = 0;
};

constexpr int capture_max_jobs = 256;

struct capture_options {
    capture_mode mode = capture_mode::frame;
    bool sequence = false;
    double time = 0.0;  // single frame
    double from = 0.0;  // sequence and video
    double to = 0.0;
    double fps = capture_default_fps;  // PNG frames: any positive rate
    frame_rate rate;                // video
    int width = 1280;
    int height = 720;
    int bench_frames = 60;
    int jobs = 1;         // video: processes that record slices side by side
    slice_id slice;       // video: the one slice to record
    bool video_only = false;  // video: no soundtrack (always so for a slice)
    // video: where to write one byte per frame drawn, instead of the progress
    // line; set by the tool for its own jobs.
    int progress_fd = -1;
    std::string out;
    std::vector<std::string> slices;  // join: the slice files
};

struct capture_parse {
    std::optional<capture_options> options;
    std::string problem;  // why the command line was refused
};

capture_parse parse_capture_args(const std::vector<std::string>& args);

// True when the command line holds --help or -h: the tool then prints its usage
// on standard output and exits 0, whatever else was given.
bool asks_for_help(const std::vector<std::string>& args);

// "60", "60000/1001" or "29.97" (a decimal becomes a fraction over 1000); false for
// anything else, a zero or negative rate, or one above 1000 frames per second.
bool parse_frame_rate(const std::string& text, frame_rate& rate);

// "K/N" with 1 <= K <= N <= capture_max_jobs.
bool parse_slice_id(const std::string& text, slice_id& slice);

// The show's frames at a fixed step of 1/fps: frame n (n >= 1) is drawn at demo
// time n/fps. The frame nearest to a time, never before the first nor after the
// last one drawn before the show ends.
long frame_number_at(double time, double fps);

// The frame numbers the options ask for, in order.
std::vector<long> frames_to_capture(const capture_options& options);

// The file of the index-th frame of a sequence: DIR/frame_00000.png onwards.
std::string sequence_file_name(const std::string& dir, long index);

// A video's frames: frame n shows music time from + n / rate, for n from 0 while
// that time is before `to`, rounded so that the count times the frame length is
// within half a frame of the span.
long video_frame_count(const capture_options& options);
double video_frame_time(const capture_options& options, long n);

// Every recording, whether made in one process, in jobs or slice by slice, has a
// keyframe on each multiple of this many frames from its frame 0 (one second of
// frames) and nowhere else. Slices start on these keyframes, so a slice is
// encoded exactly as its frames are inside the whole recording.
long video_keyframe_interval(const frame_rate& rate);
// The keyframes of a recording: the most slices it can be cut into.
long video_keyframe_count(const capture_options& options);

// The benchmark's show times: `frames` times spread evenly over the show, each in
// the middle of its share.
std::vector<double> bench_times(int frames);
