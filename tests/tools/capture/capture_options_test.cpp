// The capture tool's command line and the frame numbers it asks for.
#include "tools/capture/capture_options.h"

#include <gtest/gtest.h>

namespace {

capture_parse parse(std::vector<std::string> args) { return parse_capture_args(args); }

TEST(CaptureOptions, SingleFrameWithDefaults) {
    const capture_parse p = parse({"--time", "12.5", "--out", "a.png"});
    ASSERT_TRUE(p.options) << p.problem;
    EXPECT_FALSE(p.options->sequence);
    EXPECT_EQ(p.options->time, 12.5);
    EXPECT_EQ(p.options->width, 1280);
    EXPECT_EQ(p.options->height, 720);
    EXPECT_EQ(p.options->fps, 60);
    EXPECT_EQ(p.options->out, "a.png");
}

TEST(CaptureOptions, SequenceWithSize) {
    const capture_parse p = parse({"--from", "1", "--to", "2", "--fps", "25", "--size", "320x180", "--out", "dir"});
    ASSERT_TRUE(p.options) << p.problem;
    EXPECT_TRUE(p.options->sequence);
    EXPECT_EQ(p.options->width, 320);
    EXPECT_EQ(p.options->height, 180);
    EXPECT_EQ(frames_to_capture(*p.options).size(), 26u);
    EXPECT_EQ(frames_to_capture(*p.options).front(), 25);
}

TEST(CaptureOptions, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--time", "1"},                                     // no output
        {"--time", "1", "--out"},                            // value missing
        {"--time", "x", "--out", "a.png"},                   // not a number
        {"--time", "1", "--out", "a.png", "--size", "12x"},  // half a size
        {"--time", "1", "--out", "a.png", "--size", "8x8"},  // too small
        {"--time", "1", "--out", "a.png", "--colour", "1"},  // unknown
        {"--time", "-0.5", "--out", "a.png"},                // before the show
        {"--time", "292", "--out", "a.png"},                 // after it
        {"--from", "1", "--to", "2", "--out", "d"},          // no fps
        {"--from", "3", "--to", "2", "--fps", "30", "--out", "d"},
        {"--time", "1", "--from", "1", "--to", "2", "--fps", "30", "--out", "d"},
        {"--time", "1", "--fps", "0", "--out", "a.png"},
        {"--time", "1", "--fps", "-2", "--out", "a.png"},
        {"--time", "1", "--fps", "1/300", "--out", "a.png"},  // the first frame after the show
    };
    for (const auto& args : bad) {
        const capture_parse p = parse(args);
        EXPECT_FALSE(p.options) << "accepted: " << (args.empty() ? std::string("(nothing)") : args[0]);
        EXPECT_FALSE(p.problem.empty());
    }
}

// Any positive rate, written as a video's is: frame n at n / rate.
TEST(CaptureOptions, SequencesTakeSlowAndFractionalRates) {
    const capture_parse slow = parse({"--from", "10", "--to", "14", "--fps", "0.5", "--out", "dir"});
    ASSERT_TRUE(slow.options) << slow.problem;
    EXPECT_EQ(slow.options->fps, 0.5);
    EXPECT_EQ(frames_to_capture(*slow.options), (std::vector<long>{5, 6, 7}));
    const capture_parse ntsc = parse({"--time", "100", "--fps", "30000/1001", "--out", "a.png"});
    ASSERT_TRUE(ntsc.options) << ntsc.problem;
    EXPECT_DOUBLE_EQ(ntsc.options->fps, 30000.0 / 1001.0);
    EXPECT_EQ(frames_to_capture(*ntsc.options), (std::vector<long>{2997}));
    EXPECT_EQ(frame_number_at(291.0, 0.5), 145) << "290 s is the last frame before the end";
}

TEST(CaptureOptions, HelpIsFoundAnywhereOnTheLine) {
    EXPECT_TRUE(asks_for_help({"--help"}));
    EXPECT_TRUE(asks_for_help({"--bench", "-h"}));
    EXPECT_TRUE(asks_for_help({"--time", "1", "--help", "--out", "a.png"}));
    EXPECT_FALSE(asks_for_help({}));
    EXPECT_FALSE(asks_for_help({"--time", "1", "--out", "help.png"}));
}

TEST(CaptureFrames, FramesAreWholeStepsInsideTheShow) {
    EXPECT_EQ(frame_number_at(1.0, 60), 60);
    EXPECT_EQ(frame_number_at(0.0, 60), 1) << "the first frame is one step in";
    EXPECT_EQ(frame_number_at(1.009, 60), 61);
    EXPECT_EQ(frame_number_at(291.0, 60), 17459) << "the frame at 291 would end the show";
    EXPECT_EQ(frame_number_at(291.0, 7), 2036);
    EXPECT_EQ(sequence_file_name("out", 12), "out/frame_00012.png");
}

}  // namespace
