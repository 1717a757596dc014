// Probing, checking and joining slices.
#include "tools/capture/slice_join.h"

#include "tools/capture/child_process.h"
#include "tools/capture/safe_output.h"
#include "tools/capture/stop_signal.h"
#include "tools/capture/video_encoder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void complain(const std::string& problem) { std::fprintf(stderr, "velmoria-capture: cannot join: %s\n", problem.c_str()); }

// The value after "key=" in ffprobe's key=value lines; empty when absent.
std::string value_of(const std::string& lines, const std::string& key) {
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

// Seconds from the recording's start to frame n, in whole microseconds.
long long microseconds_at(long n, const frame_rate& rate) {
    return (static_cast<long long>(n) * rate.den * 1000000 * 2 + rate.num) / (2 * rate.num);
}

std::string quoted(const std::string& path) {
    std::string q = "'";
    for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string write_list(const std::string& text) {
    std::string pattern = (fs::temp_directory_path() / "velmoria-join-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return "";
    const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    if (!written) unlink(pattern.c_str());
    return written ? pattern : "";
}

}  // namespace

bool probe_slice(const std::string& ffprobe, const std::string& file, slice_info& slice) {
    std::string out;
    const int code = run_program({ffprobe, "-v", "quiet", "-select_streams", "v:0", "-show_entries",
                                  "stream=codec_name,nb_frames:format_tags=comment", "-of", "default=noprint_wrappers=1",
                                  file},
                                 &out);
    if (code != 0) {
        complain("cannot read " + file + " as a video");
        return false;
    }
    if (!parse_slice_tag(value_of(out, "TAG:comment"), slice)) {
        complain(file + " is not a slice made by velmoria-capture --slice");
        return false;
    }
    slice.file = file;
    slice.path = fs::absolute(file).string();
    slice.codec = value_of(out, "codec_name");
    const std::string frames = value_of(out, "nb_frames");
    slice.stream_frames = frames.empty() ? -1 : std::atol(frames.c_str());
    return true;
}

std::string concat_list(const std::vector<slice_info>& slices) {
    std::string list = "ffconcat version 1.0\n";
    for (const slice_info& s : slices) {
        const long long length =
            microseconds_at(s.frames.first + s.frames.count, s.rate) - microseconds_at(s.frames.first, s.rate);
        char duration[64];
        std::snprintf(duration, sizeof duration, "duration %lld.%06lld\n", length / 1000000, length % 1000000);
        list += "file " + quoted(s.path) + "\n" + duration;
    }
    return list;
}

std::vector<std::string> join_arguments(const join_request& r, const std::string& list, const slice_info& first,
                                        const std::string& out) {
    std::vector<std::string> a = {r.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                  "-f",     "concat",       "-safe",     "0",     "-i",       list};
    const bool sound = !r.music.empty();
    if (sound) {
        const double duration = double(first.total) * first.rate.step();
        const std::vector<std::string> music = music_input_arguments(r.music, first.from, duration);
        a.insert(a.end(), music.begin(), music.end());
        a.insert(a.end(), {"-map", "0:v:0", "-map", "1:a:0"});
    } else {
        a.insert(a.end(), {"-map", "0:v:0"});
    }
    // the slices' pictures as they are; their tags stay behind
    a.insert(a.end(), {"-c:v", "copy", "-map_metadata", "-1"});
    if (sound) {
        const std::vector<std::string> codec = sound_codec_arguments();
        a.insert(a.end(), codec.begin(), codec.end());
    }
    a.insert(a.end(), {"-shortest", "-movflags", "+faststart", "-f", "mp4", out});
    return a;
}

int join_slices(const join_request& r) {
    std::vector<slice_info> slices(r.slices.size());
    for (size_t i = 0; i < slices.size(); ++i)
        if (!probe_slice(r.ffprobe, r.slices[i], slices[i])) return 1;
    std::string problem = join_problem(slices);
    if (!problem.empty()) {
        complain(problem);
        return 1;
    }
    const std::string out = output_target(r.out);
    const std::string list = write_list(concat_list(slices));
    const std::string part = list.empty() ? "" : temporary_beside(out, problem);
    if (list.empty() || part.empty()) {
        complain(list.empty() ? "cannot write a temporary file" : problem);
        if (!list.empty()) unlink(list.c_str());
        return 1;
    }
    const int code = run_program(join_arguments(r, list, slices.front(), part));
    unlink(list.c_str());
    if (code != 0 || stop_requested()) {
        discard_file(part);
        if (stop_requested()) return stop_exit_code();
        const std::string reason = folder_write_problem(fs::path(part).parent_path().string());
        complain(reason.empty() ? "ffmpeg failed" : "ffmpeg failed: " + reason);
        return 1;
    }
    if (!replace_with(part, out, problem)) {
        complain(problem);
        return 1;
    }
    return 0;
}
