// The capture tool as a process, run the way people run it: the same frame twice
// (from data/ and from the repository root, with the test's display and with none)
// gives the same PNG bytes; a frame of a sequence equals that frame captured alone;
// the frame at 1 s is not black; bad arguments give the usage line and exit 2.
#include "tests/tools/capture/tool_process.h"
#include "tools/capture/png_image.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using capture_test::scratch;

std::string bytes_of(const fs::path& file) { return capture_test::text_of(file); }

int run_tool(const std::string& folder, const std::string& arguments, std::string& log, bool with_display = true) {
    return capture_test::run_tool(folder, arguments, log, with_display ? "" : "env -u DISPLAY");
}

TEST(CaptureRun, SameFrameGivesTheSamePngFromAnyFolderWithOrWithoutDisplay) {
    const fs::path a = scratch() / "from_data.png";
    const fs::path b = scratch() / "from_root.png";
    std::string log;
    ASSERT_EQ(run_tool(".", "--time 1.0 --size 96x54 --out '" + a.string() + "'", log), 0) << log;
    ASSERT_EQ(run_tool(VELMORIA_SOURCE_DIR, "--time 1.0 --size 96x54 --out '" + b.string() + "'", log, false), 0)
        << log;
    const std::string first = bytes_of(a);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, bytes_of(b)) << "two captures of the same time differ";

    rgb_image image;
    ASSERT_TRUE(read_png(a.string(), image));
    EXPECT_EQ(image.width, 96);
    EXPECT_EQ(image.height, 54);
    const channel_stats stats = image_stats(image);
    EXPECT_GT(std::max({stats.max[0], stats.max[1], stats.max[2]}), 40) << "the frame at 1 s is black";
}

TEST(CaptureRun, SequenceFramesMatchSingleCaptures) {
    const fs::path dir = scratch() / "sequence";
    const fs::path single = scratch() / "single.png";
    std::string log;
    ASSERT_EQ(run_tool(".", "--from 2.0 --to 2.1 --fps 20 --size 64x36 --out '" + dir.string() + "'", log), 0) << log;
    EXPECT_TRUE(fs::exists(dir / "frame_00000.png"));
    EXPECT_TRUE(fs::exists(dir / "frame_00002.png"));
    EXPECT_FALSE(fs::exists(dir / "frame_00003.png"));
    ASSERT_EQ(run_tool(".", "--time 2.1 --fps 20 --size 64x36 --out '" + single.string() + "'", log), 0) << log;
    EXPECT_EQ(bytes_of(dir / "frame_00002.png"), bytes_of(single))
        << "stepping the clock to a frame draws what drawing every frame before it draws";
}

TEST(CaptureRun, BadArgumentsGiveUsageAndExitTwo) {
    std::string log;
    EXPECT_EQ(run_tool(".", "--time", log), 2);
    EXPECT_NE(log.find("usage: velmoria-capture"), std::string::npos) << log;
    EXPECT_EQ(run_tool(".", "--time 1 --size 100 --out x.png", log), 2);
    EXPECT_EQ(run_tool(".", "--frobnicate 3", log), 2);
}

TEST(CaptureRun, HelpPrintsUsageAndSucceeds) {
    std::string log;
    EXPECT_EQ(run_tool(".", "--video out.mp4 --help", log), 0);
    EXPECT_NE(log.find("usage: velmoria-capture"), std::string::npos) << log;
    EXPECT_EQ(log.find("needs a value"), std::string::npos) << log;
}

}  // namespace
