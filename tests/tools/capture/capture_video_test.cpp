// Recording through ffmpeg, run as the tool: a 2 s recording at 30 fps has an
// H.264 and an AAC stream of 2 s and exactly 60 frames, and its frame 30 is the
// PNG capture of 1 s within codec tolerance (and closer to it than its
// neighbours); a fractional rate gives its frame count; Ctrl-C leaves a playable
// file; bad arguments and a missing ffmpeg or unwritable output give one clear
// message and a non-zero exit. The benchmark runs and reports every stage.
#include "tests/tools/capture/tool_process.h"
#include "tests/tools/capture/video_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using namespace capture_test;

TEST(CaptureVideo, TwoSecondsAtThirtyFramesMatchThePngCaptures) {
    const fs::path video = scratch() / "two_seconds.mp4";
    std::string log;
    ASSERT_EQ(run_tool(".", "--video '" + video.string() + "' --size 320x180 --fps 30 --from 0 --to 2", log), 0)
        << log;
    EXPECT_NE(log.find("60/60 frames"), std::string::npos) << "the progress line reaches the end:\n" << log;
    const std::vector<stream_info> streams = probe(video);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].codec, "h264");
    EXPECT_EQ(streams[0].frames, 60);
    EXPECT_NEAR(streams[0].duration, 2.0, 1.0 / 30);
    EXPECT_EQ(streams[1].codec, "aac");
    EXPECT_NEAR(streams[1].duration, 2.0, 1.0 / 30);

    const fs::path png = scratch() / "one_second.png";
    ASSERT_EQ(run_tool(".", "--time 1.0 --fps 30 --size 320x180 --out '" + png.string() + "'", log), 0) << log;
    const double same = psnr_of_frame(video, 30, png);
    EXPECT_GE(same, 35.0);
    EXPECT_GT(same, psnr_of_frame(video, 29, png)) << "frame 29 is closer: the frames are shifted";
    EXPECT_GT(same, psnr_of_frame(video, 31, png)) << "frame 31 is closer: the frames are shifted";
}

TEST(CaptureVideo, FractionalRateGivesTheRoundedFrameCount) {
    const fs::path video = scratch() / "ntsc.mp4";
    std::string log;
    // 1.5 s at 59.94 fps is 89.91 frames: 90 of them, 1.5015 s.
    ASSERT_EQ(run_tool(".", "--video '" + video.string() + "' --size 96x54 --fps 60000/1001 --from 10 --to 11.5",
                       log),
              0)
        << log;
    const std::vector<stream_info> streams = probe(video);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].frames, 90);
    EXPECT_NEAR(streams[0].duration, 1.5, 1001.0 / 60000);
    EXPECT_NEAR(streams[1].duration, 1.5, 1001.0 / 60000);
}

TEST(CaptureVideo, InterruptLeavesAPlayableFile) {
    const fs::path video = scratch() / "stopped.mp4";
    const fs::path log_file = scratch() / "stopped.log";
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen(log_file.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(126);
        execl(tool.c_str(), tool.c_str(), "--video", video.c_str(), "--size", "96x54", "--fps", "30", "--from", "0",
              "--to", "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // Wait until a frame has gone to ffmpeg (the first progress line follows
    // it), then stop as Ctrl-C does.
    for (int i = 0; i < 1200 && text_of(log_file).find(" frames ") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_NE(text_of(log_file).find(" frames "), std::string::npos) << text_of(log_file);
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << text_of(log_file);
    EXPECT_EQ(WEXITSTATUS(status), 130) << text_of(log_file);
    const std::vector<stream_info> streams = probe(video);
    ASSERT_EQ(streams.size(), 2u) << "the stopped file does not play";
    EXPECT_GT(streams[0].frames, 0);
    EXPECT_LT(streams[0].frames, 1800);
    EXPECT_NEAR(streams[1].duration, streams[0].duration, 0.1) << "the sound runs past the pictures";
}

TEST(CaptureVideo, BadRequestsGiveOneClearMessageAndFail) {
    const std::string out = (scratch() / "never.mp4").string();
    struct bad_case {
        std::string arguments;
        std::string environment;
        std::string message;
    };
    const std::vector<bad_case> cases = {
        {"--video '" + out + "' --size 321x180", "", "even"},
        {"--video '" + out + "' --size 12x12", "", "size out of range"},
        {"--video '" + out + "' --fps 0", "", "bad value for --fps"},
        {"--video '" + out + "' --fps 30/0", "", "bad value for --fps"},
        {"--video '" + out + "' --fps fast", "", "bad value for --fps"},
        {"--video '" + out + "' --from 5 --to 5", "", "from < to"},
        {"--video '" + out + "' --to 300", "", "to <= 291"},
        {"--video /no/such/folder/a.mp4 --size 64x36", "", "cannot record to /no/such/folder/a.mp4"},
        {"--video '" + scratch().string() + "' --size 64x36", "", "is a folder"},
        {"--video '" + out + "' --size 64x36", "env PATH=/nonexistent", "ffmpeg not found"},
    };
    for (const bad_case& c : cases) {
        std::string log;
        EXPECT_NE(run_tool(".", c.arguments, log, c.environment), 0) << c.arguments;
        EXPECT_NE(log.find(c.message), std::string::npos) << c.arguments << "\n" << log;
        EXPECT_FALSE(fs::exists(out)) << c.arguments;
    }
}

TEST(CaptureBench, ReportsEveryStage) {
    std::string log;
    ASSERT_EQ(run_tool(".", "--bench --frames 3 --size 128x72", log), 0) << log;
    for (const char* row : {"clock", "choreography", "submission", "post-processing", "whole frame",
                            "frames per second", "GPU time"})
        EXPECT_NE(log.find(row), std::string::npos) << row << " missing:\n" << log;
}

}  // namespace
