// The recording's pure parts: the video and benchmark command lines with their
// defaults, frame counts and times at whole and fractional rates, the progress
// line, the ffmpeg command and its Windows quoting, and the checks made before
// anything is rendered.
#include "tools/capture/capture_options.h"
#include "tools/capture/frame_bench.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/safe_output.h"
#include "tools/capture/video_encoder.h"
#include "tools/capture/windows_command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

capture_options parsed(std::vector<std::string> args) {
    const capture_parse p = parse_capture_args(args);
    EXPECT_TRUE(p.options) << p.problem;
    return p.options.value_or(capture_options{});
}

TEST(VideoOptions, DefaultsAreTheWholeShowInFullHdAtSixty) {
    const capture_options o = parsed({"--video", "show.mp4"});
    EXPECT_EQ(o.mode, capture_mode::video);
    EXPECT_EQ(o.out, "show.mp4");
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.rate.num, 60);
    EXPECT_EQ(o.rate.den, 1);
    EXPECT_EQ(o.from, 0.0);
    EXPECT_EQ(o.to, 291.0);
    // 291 s x 60: the frame at 291 s would end the show, so the last is 290.983 s.
    EXPECT_EQ(video_frame_count(o), 17460);
    EXPECT_LT(video_frame_time(o, 17459), 291.0);
}

TEST(VideoOptions, RatesWholeFractionalAndDecimal) {
    frame_rate r;
    ASSERT_TRUE(parse_frame_rate("60000/1001", r));
    EXPECT_EQ(r.num, 60000);
    EXPECT_EQ(r.den, 1001);
    ASSERT_TRUE(parse_frame_rate("50/2", r));
    EXPECT_EQ(r.num, 25);
    EXPECT_EQ(r.den, 1);
    ASSERT_TRUE(parse_frame_rate("29.97", r));
    EXPECT_EQ(r.num, 2997);
    EXPECT_EQ(r.den, 100);
    for (const char* bad : {"0", "-30", "30/0", "1/2/3", "fast", "", "2000", "30.5/2", "nan"})
        EXPECT_FALSE(parse_frame_rate(bad, r)) << bad;
}

TEST(VideoOptions, FramesAreEveryStepOfTheSpan) {
    const capture_options o = parsed({"--video", "a.mp4", "--fps", "30", "--from", "0", "--to", "2"});
    EXPECT_EQ(video_frame_count(o), 60);
    EXPECT_EQ(video_frame_time(o, 0), 0.0);
    EXPECT_DOUBLE_EQ(video_frame_time(o, 30), 1.0);
    const capture_options ntsc = parsed({"--video", "a.mp4", "--fps", "60000/1001", "--from", "10", "--to", "20"});
    EXPECT_EQ(video_frame_count(ntsc), 599);  // 599.4 frames
    EXPECT_DOUBLE_EQ(video_frame_time(ntsc, 599), 10.0 + 599 * 1001.0 / 60000.0);
}

TEST(VideoOptions, BadVideoAndBenchCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"--video"},
        {"--video", "a.mp4", "--size", "641x360"},
        {"--video", "a.mp4", "--from", "3", "--to", "3"},
        {"--video", "a.mp4", "--from", "-1"},
        {"--video", "a.mp4", "--to", "291.5"},
        {"--video", "a.mp4", "--from", "1", "--to", "1.001"},  // under one frame
        {"--video", "a.mp4", "--time", "1"},
        {"--video", "a.mp4", "--out", "b.png"},
        {"--bench", "--frames", "0"},
        {"--bench", "--out", "x"},
    };
    for (const auto& args : bad) {
        const capture_parse p = parse_capture_args(args);
        EXPECT_FALSE(p.options) << "accepted: " << args.back();
        EXPECT_FALSE(p.problem.empty());
    }
}

TEST(BenchOptions, FramesSpreadOverTheShow) {
    const capture_options o = parsed({"--bench", "--frames", "4", "--size", "640x360"});
    EXPECT_EQ(o.mode, capture_mode::bench);
    EXPECT_EQ(o.bench_frames, 4);
    EXPECT_EQ(o.width, 640);
    const std::vector<double> times = bench_times(4);
    ASSERT_EQ(times.size(), 4u);
    EXPECT_DOUBLE_EQ(times[0], 291.0 / 8);
    EXPECT_DOUBLE_EQ(times[3], 291.0 * 7 / 8);
    EXPECT_EQ(spread_of({3, 1, 2, 9}).median, 3);
    EXPECT_EQ(spread_of({3, 1, 2, 9}).worst, 9);
}

TEST(Progress, LineShowsFramesRateAndTimes) {
    EXPECT_EQ(progress_line(30, 120, 10.0, 8), "[##......] 30/120 frames  3.00 fps  elapsed 0:00:10  left 0:00:30");
    EXPECT_EQ(progress_line(0, 120, 0.0, 4), "[....] 0/120 frames  0.00 fps  elapsed 0:00:00  left -:--:--");
    EXPECT_EQ(clock_text(3 * 3600 + 25 * 60 + 7), "3:25:07");
}

TEST(Encoder, CommandStreamsRawFramesAndCutsTheMusic) {
    video_settings s{"/usr/bin/ffmpeg", "/tmp/o.mp4", "/m/music.mp3", 320, 180, {60000, 1001}, 12.5, 2.0};
    const std::vector<std::string> a = ffmpeg_arguments(s);
    const auto after = [&a](const std::string& flag, size_t from = 0) {
        const auto it = std::find(a.begin() + long(from), a.end(), flag);
        return it == a.end() || it + 1 == a.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(a.front(), "/usr/bin/ffmpeg");
    EXPECT_EQ(a.back(), "/tmp/o.mp4");
    EXPECT_EQ(after("-video_size"), "320x180");
    EXPECT_EQ(after("-framerate"), "60000/1001");
    EXPECT_EQ(after("-f"), "rawvideo");
    EXPECT_EQ(after("-c:v"), "libx264");
    // no rate control history and a keyframe on every 60th frame only, as slices start
    EXPECT_EQ(after("-qp"), video_quantiser);
    EXPECT_EQ(after("-x264-params"), "keyint=60:min-keyint=60:scenecut=0:open-gop=0");
    EXPECT_EQ(after("-c:a"), "aac");
    EXPECT_EQ(after("-b:a"), "192k");
    EXPECT_EQ(after("-ss"), "12.500000");
    EXPECT_EQ(after("-t"), "2.000000");
    // The cut applies to the music input: both come before its -i.
    const auto music = std::find(a.begin(), a.end(), "/m/music.mp3");
    EXPECT_LT(std::find(a.begin(), a.end(), "-ss"), music);
    EXPECT_EQ(*(music - 1), "-i");
    EXPECT_EQ(std::count(a.begin(), a.end(), "yuv420p"), 1);
}

TEST(Encoder, ProgramsAndOutputPathsAreCheckedFirst) {
    EXPECT_FALSE(find_program("sh").empty());
    EXPECT_TRUE(find_program("no-such-program-velmoria").empty());
    EXPECT_EQ(find_program("/bin/sh"), "/bin/sh");

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("velmoria_encoder_" + std::to_string(getpid()));
    fs::create_directories(folder);
    EXPECT_EQ(output_problem((folder / "new.mp4").string()), "");
    EXPECT_NE(output_problem((folder / "missing" / "a.mp4").string()).find("no folder"), std::string::npos);
    EXPECT_NE(output_problem(folder.string()).find("is a folder"), std::string::npos);
    if (geteuid() != 0) {  // root writes anywhere
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_NE(output_problem((folder / "new.mp4").string()).find("cannot write"), std::string::npos);
        fs::permissions(folder, fs::perms::owner_all);
    }
    fs::remove_all(folder);
}

// Windows splits the command line again by the C runtime's rules: only arguments
// with blanks or quotes are quoted, and backslashes double only before a quote.
TEST(WindowsCommandLine, QuotesSoThatTheRuntimeSplitsBackTheSameArguments) {
    EXPECT_EQ(windows_command_line({"C:\\Program Files\\ffmpeg.exe", "-i", "pipe:0", "C:\\out\\a.mp4"}),
              "\"C:\\Program Files\\ffmpeg.exe\" -i pipe:0 C:\\out\\a.mp4");
    EXPECT_EQ(windows_command_line({"-metadata", ""}), "-metadata \"\"");
    EXPECT_EQ(windows_command_line({"say \"hi\""}), "\"say \\\"hi\\\"\"");
    // A trailing backslash would escape the closing quote unless doubled.
    EXPECT_EQ(windows_command_line({"C:\\My Videos\\"}), "\"C:\\My Videos\\\\\"");
    // Backslashes before a quote double, and the quote gets its own.
    EXPECT_EQ(windows_command_line({"a\\\"b"}), "\"a\\\\\\\"b\"");
    EXPECT_EQ(windows_command_line({"Vidéos d'été"}), "\"Vidéos d'été\"");
}

}  // namespace
