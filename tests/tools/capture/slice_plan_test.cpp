// Slices of a recording: their frame ranges tile the recording, their tags read
// back exactly, a join refuses every set of slices that does not make one whole
// recording with the reason, and the join's ffmpeg command copies the pictures and
// muxes the same music span as a recording made in one process.
#include "tools/capture/slice_join.h"
#include "tools/capture/video_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

TEST(SlicePlan, SlicesTileTheRecordingFromKeyframeToKeyframe) {
    // 63 frames at 30 fps: keyframes at 0, 30 and 60; the cut falls on frame 30.
    EXPECT_EQ(slice_frames(63, {1, 2}, 30).first, 0);
    EXPECT_EQ(slice_frames(63, {1, 2}, 30).count, 30);
    EXPECT_EQ(slice_frames(63, {2, 2}, 30).first, 30);
    EXPECT_EQ(slice_frames(63, {2, 2}, 30).count, 33);
    for (long interval : {1L, 30L, 60L}) {
        for (long total : {1L, 7L, 63L, 17460L}) {
            const long keyframes = (total + interval - 1) / interval;
            for (int count : {1, 2, 3, 7, 16}) {
                if (count > keyframes) continue;
                long next = 0;
                for (int k = 1; k <= count; ++k) {
                    const frame_range r = slice_frames(total, {k, count}, interval);
                    const std::string which = std::to_string(total) + " frames, slice " + std::to_string(k) + "/" +
                                              std::to_string(count) + ", interval " + std::to_string(interval);
                    EXPECT_EQ(r.first, next) << which;
                    EXPECT_EQ(r.first % interval, 0) << which;
                    const long held = (r.count + interval - 1) / interval;  // keyframes in the slice
                    EXPECT_GE(held, keyframes / count) << which;
                    EXPECT_LE(held, keyframes / count + 1) << which;
                    next = r.first + r.count;
                }
                EXPECT_EQ(next, total) << total << " frames in " << count << " slices";
            }
        }
    }
}

// A slice of 10 s at 59.94 fps: a keyframe every 60 frames.
slice_info slice(const std::string& file, int k, int n, long total = 600) {
    slice_info s;
    s.file = file;
    s.id = {k, n};
    s.frames = slice_frames(total, s.id, 60);
    s.total = total;
    s.from = 10.1;
    s.rate = {60000, 1001};
    s.width = 320, s.height = 180;
    s.codec = "h264";
    s.stream_frames = s.frames.count;
    return s;
}

TEST(SlicePlan, TagsReadBackExactly) {
    const slice_info s = slice("a.mp4", 2, 3);
    slice_info back;
    ASSERT_TRUE(parse_slice_tag(slice_tag(s), back)) << slice_tag(s);
    EXPECT_EQ(back.id.index, 2);
    EXPECT_EQ(back.id.count, 3);
    EXPECT_EQ(back.frames.first, 180);
    EXPECT_EQ(back.frames.count, 180);
    EXPECT_EQ(back.total, 600);
    EXPECT_EQ(back.from, 10.1) << "the start time must survive the text exactly";
    EXPECT_EQ(back.rate.num, 60000);
    EXPECT_EQ(back.rate.den, 1001);
    EXPECT_EQ(back.width, 320);
    EXPECT_EQ(back.height, 180);
    for (const std::string& bad : std::vector<std::string>{"", "made by hand", "velmoria-capture slice 3/2 first 0 frames 1 total 2 from 0 "
                                                      "rate 30/1 size 96x54",
                                  slice_tag(s) + " more", slice_tag(s).substr(0, 40)})
        EXPECT_FALSE(parse_slice_tag(bad, back)) << bad;
}

std::string problem_of(std::vector<slice_info> slices) { return join_problem(slices); }

TEST(SlicePlan, JoinAcceptsAWholeSetInAnyOrder) {
    std::vector<slice_info> set = {slice("c", 3, 3), slice("a", 1, 3), slice("b", 2, 3)};
    EXPECT_EQ(join_problem(set), "");
    EXPECT_EQ(set[0].file, "a");
    EXPECT_EQ(set[2].file, "c");
}

TEST(SlicePlan, JoinRefusesSetsThatDoNotFit) {
    slice_info wide = slice("b", 2, 2), fast = slice("b", 2, 2), later = slice("b", 2, 2), cut = slice("b", 2, 2),
               other = slice("b", 2, 2);
    wide.width = 640;
    fast.rate = {30, 1};
    later.from = 11.0;
    cut.stream_frames = 12;
    other.codec = "hevc";
    const std::vector<std::pair<std::vector<slice_info>, std::string>> cases = {
        {{slice("a", 1, 3), slice("c", 3, 3)}, "missing slice 2/3: frames 180 to 359 are in no slice"},
        {{slice("b", 2, 3), slice("c", 3, 3)}, "missing slice 1/3: frames 0 to 179 are in no slice"},
        {{slice("a", 1, 3), slice("b", 2, 3)}, "missing slice 3/3: frames 360 to 599 are in no slice"},
        {{slice("a", 1, 2), slice("d", 4, 4)}, "frames 300 to 419 are in no slice"},
        {{slice("a", 1, 2), slice("b", 2, 3), slice("c", 3, 3)}, "a and b overlap: frames 180 to 299 are in both"},
        {{slice("a", 1, 2), slice("a2", 1, 2), slice("b", 2, 2)}, "a and a2 overlap: frames 0 to 299 are in both"},
        {{slice("a", 1, 2), wide}, "mixed sizes: a is 320x180, b is 640x180"},
        {{slice("a", 1, 2), fast}, "mixed rates: a is 60000/1001 fps, b is 30 fps"},
        {{slice("a", 1, 2), later}, "a and b are slices of different recordings"},
        {{slice("a", 1, 2), slice("b", 2, 2, 61)}, "a and b are slices of different recordings"},
        {{slice("a", 1, 2), cut}, "b holds 12 of its 300 frames"},
        {{slice("a", 1, 2), other}, "b holds hevc, not H.264"},
    };
    for (const auto& [slices, expected] : cases) {
        const std::string problem = problem_of(slices);
        EXPECT_NE(problem.find(expected), std::string::npos) << "expected: " << expected << "\ngot: " << problem;
    }
}

// The concat list's lengths in microseconds, and the files in its order.
std::vector<long long> listed_lengths(const std::string& list) {
    std::vector<long long> lengths;
    std::istringstream lines(list);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("duration ", 0) != 0) continue;
        const size_t dot = line.find('.');
        lengths.push_back(std::atoll(line.substr(9, dot - 9).c_str()) * 1000000 + std::atoll(line.c_str() + dot + 1));
    }
    return lengths;
}

TEST(SliceJoin, ConcatListStartsEverySliceOnItsFrame) {
    std::vector<slice_info> set;
    for (int k = 1; k <= 7; ++k) set.push_back(slice("s" + std::to_string(k), k, 7, 17460));
    for (slice_info& s : set) s.path = "/tmp/it's/" + s.file + ".mp4";
    const std::string list = concat_list(set);
    EXPECT_NE(list.find("file '/tmp/it'\\''s/s1.mp4'"), std::string::npos) << "quotes in paths:\n" << list;
    const std::vector<long long> lengths = listed_lengths(list);
    ASSERT_EQ(lengths.size(), 7u);
    long long start = 0;
    for (int k = 0; k < 7; ++k) {
        start += lengths[size_t(k)];
        // the end of slice k+1, exact to a microsecond: frame count x 1001/60000 s
        const long long end_frames = set[size_t(k)].frames.first + set[size_t(k)].frames.count;
        EXPECT_LE(std::llabs(start * 60000 - end_frames * 1001 * 1000000), 30000) << "slice " << k + 1;
    }
}

TEST(SliceJoin, CommandCopiesPicturesAndMuxesTheSameMusicSpan) {
    const slice_info first = slice("a", 1, 2, 63);
    join_request request{"/usr/bin/ffmpeg", "/usr/bin/ffprobe", "/v/out.mp4", "/m/music.mp3", {}};
    const std::vector<std::string> a = join_arguments(request, "/tmp/list", first, "/v/.out.part");
    video_settings whole{"/usr/bin/ffmpeg", "/v/out.mp4", "/m/music.mp3", 320, 180, first.rate, first.from,
                         double(63) * first.rate.step()};
    const std::vector<std::string> b = ffmpeg_arguments(whole);
    const auto after = [](const std::vector<std::string>& v, const std::string& flag) {
        const auto it = std::find(v.begin(), v.end(), flag);
        return it == v.end() || it + 1 == v.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(a.back(), "/v/.out.part");
    EXPECT_EQ(after(a, "-f"), "concat");
    EXPECT_EQ(after(a, "-c:v"), "copy");
    EXPECT_EQ(after(a, "-map_metadata"), "-1") << "the slices' tags must not reach the recording";
    for (const char* flag : {"-ss", "-t", "-c:a", "-b:a"}) EXPECT_EQ(after(a, flag), after(b, flag)) << flag;

    request.music.clear();
    const std::vector<std::string> silent = join_arguments(request, "/tmp/list", first, "/v/.out.part");
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "-c:a"), 0);
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "/m/music.mp3"), 0);
}

TEST(SliceOptions, JobsSlicesAndJoinsParse) {
    capture_parse p = parse_capture_args({"--video", "o.mp4", "--jobs", "4"});
    ASSERT_TRUE(p.options) << p.problem;
    EXPECT_EQ(p.options->jobs, 4);
    EXPECT_FALSE(p.options->video_only);

    p = parse_capture_args({"--slice", "3/8", "--video-only", "--video", "o.3.mp4", "--size", "320x180"});
    ASSERT_TRUE(p.options) << p.problem;
    EXPECT_EQ(p.options->mode, capture_mode::video);
    EXPECT_EQ(p.options->slice.index, 3);
    EXPECT_EQ(p.options->slice.count, 8);
    EXPECT_TRUE(p.options->video_only);

    p = parse_capture_args({"--join", "all.mp4", "a.mp4", "b.mp4"});
    ASSERT_TRUE(p.options) << p.problem;
    EXPECT_EQ(p.options->mode, capture_mode::join);
    EXPECT_EQ(p.options->out, "all.mp4");
    EXPECT_EQ(p.options->slices, (std::vector<std::string>{"a.mp4", "b.mp4"}));

    const std::vector<std::vector<std::string>> bad = {
        {"--video", "o.mp4", "--jobs", "0"},
        {"--video", "o.mp4", "--jobs", "257"},
        {"--video", "o.mp4", "--jobs", "two"},
        {"--video", "o.mp4", "--slice", "0/2"},
        {"--video", "o.mp4", "--slice", "3/2"},
        {"--video", "o.mp4", "--slice", "2"},
        {"--video", "o.mp4", "--slice", "1/2", "--jobs", "2"},
        {"--video", "o.mp4", "--from", "0", "--to", "0.03", "--fps", "30", "--slice", "2/2"},  // one frame
        {"--video", "o.mp4", "--from", "0", "--to", "1.5", "--fps", "30", "--slice", "3/3"},   // two keyframes
        {"--time", "1", "--out", "a.png", "--video-only"},
        {"--join", "all.mp4"},
        {"--join"},
        {"--join", "all.mp4", "a.mp4", "--size", "96x54"},
    };
    for (const auto& args : bad) {
        const capture_parse refused = parse_capture_args(args);
        std::string line;
        for (const std::string& a : args) line += a + " ";
        EXPECT_FALSE(refused.options) << "accepted: " << line;
        EXPECT_FALSE(refused.problem.empty()) << line;
    }
}

}  // namespace
