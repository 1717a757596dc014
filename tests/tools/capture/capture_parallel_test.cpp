// Recording in parallel, run as the tool: two jobs give the one-process
// recording (frame count, the same keyframes, every frame within codec noise of
// it and the right pictures on both sides of the join, the music at lag 0);
// slices rendered on two
// "hosts" by GNU parallel's recipe come back and join, and sets of slices that do
// not fit are refused with one message and no file; Ctrl-C ends every job and
// leaves no process, X server or file behind.
#include "tests/tools/capture/tool_process.h"
#include "tests/tools/capture/video_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <thread>

namespace {

using namespace capture_test;

TEST(CaptureParallel, TwoJobsGiveTheOneProcessRecording) {
    // 63 frames from 10 s with a keyframe each second: slice 1 holds frames 0 to
    // 29, slice 2 frames 30 to 62.
    const std::string span = " --size 320x180 --fps 30 --from 10 --to 12.1";
    const fs::path single = scratch() / "single.mp4";
    const fs::path jobs = scratch() / "jobs.mp4";
    std::string log;
    ASSERT_EQ(run_tool(".", "--video '" + single.string() + "'" + span, log), 0) << log;
    ASSERT_EQ(run_tool(".", "--video '" + jobs.string() + "' --jobs 2" + span, log), 0) << log;
    EXPECT_NE(log.find("63/63 frames"), std::string::npos) << "one progress line for both jobs:\n" << log;

    const std::vector<stream_info> one = probe(single), two = probe(jobs);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].codec, "h264");
    EXPECT_EQ(two[0].frames, 63);
    EXPECT_EQ(two[1].codec, "aac");
    EXPECT_NEAR(two[0].duration, one[0].duration, 1e-6);
    EXPECT_NEAR(two[1].duration, one[1].duration, 1e-6);

    EXPECT_EQ(keyframes_of(single), (std::vector<long>{0, 30, 60})) << "a keyframe each second, and only there";
    EXPECT_EQ(keyframes_of(jobs), keyframes_of(single)) << "the slices start elsewhere";

    // Frames counted from 1 here: the join lies between frames 30 and 31.
    const std::map<long, double> psnr = psnr_of_frames(jobs, single);
    ASSERT_EQ(psnr.size(), 63u);
    for (long n = 1; n <= 5; ++n) EXPECT_GE(psnr.at(n), 1e9) << "frame " << n << " differs: other pictures or settings";
    for (const auto& [n, value] : psnr)
        EXPECT_GE(value, 45.0) << "frame " << n << (std::abs(n - 30.5) < 5 ? ", near the join" : "");

    // Both sides of the join against the frames drawn alone (frames 328 to 331 of
    // the show at 30 fps are the recording's 28 to 31): each is its own picture,
    // with no more codec noise than in the one-process recording.
    const fs::path drawn = scratch() / "around_join";
    ASSERT_EQ(run_tool(".", "--from 10.93 --to 11.04 --fps 30 --size 320x180 --out '" + drawn.string() + "'", log), 0)
        << log;
    const auto png = [&drawn](long frame) { return drawn / ("frame_0000" + std::to_string(frame - 28) + ".png"); };
    for (long frame : {29L, 30L}) {
        const double joined = psnr_of_frame(jobs, frame, png(frame));
        EXPECT_GE(joined, 35.0) << "frame " << frame;
        EXPECT_GE(joined, psnr_of_frame(single, frame, png(frame)) - 1.0) << "frame " << frame;
        EXPECT_GT(joined, psnr_of_frame(jobs, frame - 1, png(frame))) << "frame " << frame << " is shifted";
        EXPECT_GT(joined, psnr_of_frame(jobs, frame + 1, png(frame))) << "frame " << frame << " is shifted";
    }

    // The sound against the music decoded from its start: 10 s in, at lag 0.
    const long rate = 44100, limit = rate / 20;
    const std::vector<int16_t> music = samples_of("music/Tolvek - Velmoria.mp3", 0.0, 12.0);
    const std::vector<int16_t> sound = samples_of(jobs, 0.0, 2.0);
    ASSERT_GT(sound.size(), size_t(rate));
    const std::vector<int16_t> heard(sound.begin() + rate / 2, sound.begin() + rate);
    const std::vector<int16_t> reference(music.begin() + 10 * rate + rate / 2 - limit,
                                         music.begin() + 11 * rate + limit);
    EXPECT_EQ(lag_of(heard, reference, limit), 0);
}

// Every slice of a 2 s recording at 10 fps and 96x54.
std::string slice_arguments(const std::string& slice, const std::string& file, const std::string& more = "") {
    return "--slice " + slice + " --video-only --video '" + file + "' --size 96x54 --fps 10 --from 0 --to 2" + more;
}

bool only_these_files(const fs::path& folder, size_t count) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator())) == count;
}

TEST(CaptureParallel, SlicesFromTwoHostsJoinAndBadSetsAreRefused) {
    const fs::path work = scratch() / "recipe";
    const fs::path hosts = scratch() / "hosts";
    fs::create_directories(work);
    // The README's recipe, with two "hosts" that are folders here. GNU parallel
    // quotes the remote command for the login shell named by SHELL, which a CI
    // runner may leave unset; a user's terminal always sets it.
    const std::string recipe =
        "cd '" + work.string() + "' && SHELL=/bin/sh VELMORIA_FAKE_HOSTS='" + hosts.string() +
        "' parallel --will-cite --ssh '" VELMORIA_SOURCE_DIR "/tests/tools/capture/fake_ssh.sh' --sshlogin alpha,beta "
        "--return slice.{}.mp4 --cleanup '" +
        tool + "' " + slice_arguments("{}/2", "slice.{}.mp4") + " ::: 1 2";
    std::string log;
    ASSERT_EQ(run_shell(recipe, log), 0) << log;
    ASSERT_TRUE(fs::exists(work / "slice.1.mp4")) << log;
    ASSERT_TRUE(fs::exists(work / "slice.2.mp4")) << log;
    for (const char* host : {"alpha", "beta"})
        EXPECT_TRUE(!fs::exists(hosts / host) || only_these_files(hosts / host, 0)) << host << " was not cleaned";

    const fs::path joined = work / "joined.mp4";
    ASSERT_EQ(run_tool(work.string(), "--join joined.mp4 slice.2.mp4 slice.1.mp4", log), 0) << log;
    const std::vector<stream_info> streams = probe(joined);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].frames, 20);
    EXPECT_NEAR(streams[0].duration, 2.0, 1e-6);
    EXPECT_EQ(streams[1].codec, "aac");
    EXPECT_NEAR(streams[1].duration, 2.0, 0.1);

    // Slices that do not fit: each gives its one message, and no file appears.
    ASSERT_EQ(run_tool(work.string(), slice_arguments("1/1", "whole.mp4"), log), 0) << log;
    ASSERT_EQ(run_tool(work.string(), slice_arguments("2/2", "small.mp4", " --size 64x36"), log), 0) << log;
    ASSERT_EQ(run_tool(work.string(), slice_arguments("2/2", "fast.mp4", " --fps 12"), log), 0) << log;
    ASSERT_EQ(run_shell("cd '" + work.string() + "' && ffmpeg -v error -nostdin -i slice.2.mp4 -frames:v 4 -c copy "
                                                      "cut.mp4",
                        log),
              0)
        << log;
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"slice.1.mp4", "missing slice 2/2: frames 10 to 19 are in no slice"},
        {"slice.1.mp4 whole.mp4 slice.2.mp4", "slice.1.mp4 and whole.mp4 overlap: frames 0 to 9 are in both"},
        {"slice.1.mp4 small.mp4", "mixed sizes: slice.1.mp4 is 96x54, small.mp4 is 64x36"},
        {"slice.1.mp4 fast.mp4", "mixed rates: slice.1.mp4 is 10 fps, fast.mp4 is 12 fps"},
        {"slice.1.mp4 cut.mp4", "cut.mp4 holds 4 of its 10 frames"},
        {"slice.1.mp4 joined.mp4", "joined.mp4 is not a slice"},
        {"slice.1.mp4 gone.mp4", "cannot read gone.mp4"},
    };
    const size_t files = size_t(std::distance(fs::directory_iterator(work), fs::directory_iterator()));
    for (const auto& [slices, message] : bad) {
        EXPECT_EQ(run_tool(work.string(), "--join never.mp4 " + slices, log), 1) << slices;
        EXPECT_NE(log.find(message), std::string::npos) << slices << "\n" << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "one message:\n" << log;
        EXPECT_TRUE(only_these_files(work, files)) << slices << ": a file was left behind";
    }
}

// Processes (any but this one) whose environment holds `mark`.
std::vector<std::string> processes_marked(const std::string& mark) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == std::to_string(getpid())) continue;
        const std::string environment = text_of(entry.path() / "environ");
        if (environment.find(mark + '\0') != std::string::npos) found.push_back(pid + " " + text_of(entry.path() / "comm"));
    }
    return found;
}

TEST(CaptureParallel, InterruptEndsEveryJobAndLeavesNothing) {
    const fs::path folder = scratch() / "interrupted";
    fs::create_directories(folder);
    const fs::path video = folder / "stopped.mp4";
    const fs::path log_file = scratch() / "interrupted.log";
    const std::string mark = "VELMORIA_TEST_MARK=" + std::to_string(getpid());
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen(log_file.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(126);
        putenv(const_cast<char*>(mark.c_str()));
        execl(tool.c_str(), tool.c_str(), "--video", video.c_str(), "--jobs", "2", "--size", "96x54", "--fps", "30",
              "--from", "0", "--to", "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // Wait until the jobs draw and all six of their processes run (two jobs,
    // each with its ffmpeg and Xvfb), then stop as Ctrl-C does.
    for (int i = 0; i < 1200 && text_of(log_file).find(" frames ") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 0; i < 1200 && processes_marked(mark).size() < 6; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GE(processes_marked(mark).size(), 6u) << "two jobs, each with its ffmpeg and Xvfb";
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << text_of(log_file);
    EXPECT_EQ(WEXITSTATUS(status), 130) << text_of(log_file);
    EXPECT_TRUE(only_these_files(folder, 0)) << "the slices or a part of the output were left behind";
    std::vector<std::string> left = processes_marked(mark);
    for (int i = 0; i < 50 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        left = processes_marked(mark);
    }
    EXPECT_TRUE(left.empty()) << left.size() << " processes left, the first " << left.front();
}

}  // namespace
