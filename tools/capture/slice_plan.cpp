// Slice ranges, slice tags and the checks a join makes.
#include "tools/capture/slice_plan.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace {

constexpr const char* tag_start = "velmoria-capture slice";

std::string size_text(const slice_info& s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

std::string rate_text(const frame_rate& r) {
    return r.den == 1 ? std::to_string(r.num) + " fps" : std::to_string(r.num) + "/" + std::to_string(r.den) + " fps";
}

// "frame 7 is" or "frames 7 to 9 are".
std::string frames_are(long first, long last) {
    return first == last ? "frame " + std::to_string(first) + " is"
                         : "frames " + std::to_string(first) + " to " + std::to_string(last) + " are";
}

// Problems of one file on its own: not a whole H.264 slice.
std::string file_problem(const slice_info& s) {
    if (s.codec != "h264") return s.file + " holds " + (s.codec.empty() ? "no video" : s.codec) + ", not H.264";
    if (s.stream_frames != s.frames.count)
        return s.file + " holds " + std::to_string(s.stream_frames) + " of its " + std::to_string(s.frames.count) +
               " frames (an unfinished slice?)";
    return "";
}

// Problems between a file and the first one: different sizes, rates or recordings.
std::string mix_problem(const slice_info& a, const slice_info& b) {
    if (a.width != b.width || a.height != b.height)
        return "mixed sizes: " + a.file + " is " + size_text(a) + ", " + b.file + " is " + size_text(b);
    if (a.rate.num != b.rate.num || a.rate.den != b.rate.den)
        return "mixed rates: " + a.file + " is " + rate_text(a.rate) + ", " + b.file + " is " + rate_text(b.rate);
    if (a.from != b.from || a.total != b.total)
        return a.file + " and " + b.file + " are slices of different recordings (another --from or --to)";
    return "";
}

// With every slice cut N ways, the slice a run of missing frames belongs to.
std::string missing_slice(const std::vector<slice_info>& slices, long first) {
    const int count = slices.front().id.count;
    for (const slice_info& s : slices)
        if (s.id.count != count) return "";
    for (int k = 1; k <= count; ++k) {
        const frame_range r =
            slice_frames(slices.front().total, {k, count}, video_keyframe_interval(slices.front().rate));
        if (r.first == first) return "missing slice " + std::to_string(k) + "/" + std::to_string(count) + ": ";
    }
    return "";
}

}  // namespace

frame_range slice_frames(long total, slice_id id, long interval) {
    const int64_t intervals = (total + interval - 1) / interval;  // the last one may be short
    const long first = std::min(total, long(intervals * (id.index - 1) / id.count * interval));
    const long end = std::min(total, long(intervals * id.index / id.count * interval));
    return {first, end - first};
}

std::string slice_tag(const slice_info& s) {
    char text[256];
    std::snprintf(text, sizeof text, "%s %d/%d first %ld frames %ld total %ld from %.17g rate %ld/%ld size %dx%d",
                  tag_start, s.id.index, s.id.count, s.frames.first, s.frames.count, s.total, s.from, s.rate.num,
                  s.rate.den, s.width, s.height);
    return text;
}

bool parse_slice_tag(const std::string& text, slice_info& s) {
    if (text.rfind(tag_start, 0) != 0) return false;
    slice_info r;
    char tail = 0;
    const int read = std::sscanf(text.c_str() + std::string(tag_start).size(),
                                 " %d/%d first %ld frames %ld total %ld from %lf rate %ld/%ld size %dx%d %c",
                                 &r.id.index, &r.id.count, &r.frames.first, &r.frames.count, &r.total, &r.from,
                                 &r.rate.num, &r.rate.den, &r.width, &r.height, &tail);
    if (read != 10 || r.id.count < 1 || r.id.index < 1 || r.id.index > r.id.count || r.frames.first < 0 ||
        r.frames.count < 1 || r.frames.first + r.frames.count > r.total || r.rate.num < 1 || r.rate.den < 1)
        return false;
    s.id = r.id, s.frames = r.frames, s.total = r.total, s.from = r.from, s.rate = r.rate;
    s.width = r.width, s.height = r.height;
    return true;
}

std::string join_problem(std::vector<slice_info>& slices) {
    if (slices.empty()) return "no slices";
    for (const slice_info& s : slices) {
        std::string problem = file_problem(s);
        if (problem.empty()) problem = mix_problem(slices.front(), s);
        if (!problem.empty()) return problem;
    }
    std::stable_sort(slices.begin(), slices.end(),
                     [](const slice_info& a, const slice_info& b) { return a.frames.first < b.frames.first; });
    long next = 0;  // the first frame no slice so far holds
    const slice_info* previous = nullptr;
    for (const slice_info& s : slices) {
        if (s.frames.first > next)
            return missing_slice(slices, next) + frames_are(next, s.frames.first - 1) + " in no slice";
        if (s.frames.first < next)
            return previous->file + " and " + s.file + " overlap: " +
                   frames_are(s.frames.first, std::min(next, s.frames.first + s.frames.count) - 1) + " in both";
        next = s.frames.first + s.frames.count;
        previous = &s;
    }
    const long total = slices.front().total;
    if (next < total) return missing_slice(slices, next) + frames_are(next, total - 1) + " in no slice";
    return "";
}
