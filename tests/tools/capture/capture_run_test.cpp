// The capture tool as a process, run the way people run it: the same frame twice
// (from data/ and from the repository root, with the test's display and with none)
// gives the same PNG bytes; a frame of a sequence equals that frame captured alone;
// the frame at 1 s is not black; bad arguments give the usage line and exit 2; a
// shader that does not build ends the run with 1, naming the file and its log.
#include "tests/tools/capture/tool_process.h"
#include "tools/capture/png_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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

// The data with one broken shader: the shader folders copied, the rest linked.
TEST(CaptureRun, AShaderThatDoesNotBuildEndsTheRunWithItsNameAndLog) {
    const fs::path data = scratch() / "broken_shader_data";
    const fs::path source = fs::current_path();  // the tests run in data/
    fs::create_directories(data);
    for (const char* name : {"music", "textures", "neomeshes", "misc"})
        fs::create_directory_symlink(source / name, data / name);
    for (const char* name : {"Materials", "PostProcessing"})
        fs::copy(source / name, data / name, fs::copy_options::recursive);
    std::ofstream(data / "PostProcessing/f_combineSSAO.glsl") << "void main() { gl_FragColor = nothing; }\n";

    const fs::path out = scratch() / "broken_shader.png";
    std::string log;
    EXPECT_EQ(capture_test::run_tool(".", "--time 1 --size 64x36 --out '" + out.string() + "'", log,
                                     "VELMORIA_DATA='" + data.string() + "'"),
              1);
    const std::string named = "velmoria-capture: shader program 3 not built: PostProcessing/f_combineSSAO.glsl (" +
                              (data / "PostProcessing/f_combineSSAO.glsl").string() + ") does not compile:\n";
    EXPECT_NE(log.find(named), std::string::npos) << log;
    EXPECT_NE(log.find("nothing"), std::string::npos) << "the driver's log names the undeclared name\n" << log;
    EXPECT_FALSE(fs::exists(out));
    fs::remove_all(data);
}

}  // namespace
