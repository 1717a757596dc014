// Writing the capture tool's files: refusals of what is not a regular file, and a
// write beside the target renamed over it, so that a failure keeps what was there.
#include "tools/capture/png_image.h"
#include "tools/capture/safe_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path fresh_folder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("velmoria_output_" + std::to_string(getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

int entries_in(const fs::path& folder) {
    return int(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

rgb_image grey_image(int width, int height) {
    rgb_image image;
    image.width = width, image.height = height;
    image.pixels.assign(size_t(width) * size_t(height) * 3, 128);
    return image;
}

// A named pipe stands in for a device node: both would take the bytes, or block,
// and neither may be replaced.
TEST(SafeOutput, WhatIsNotARegularFileIsRefusedAsWhatItIs) {
    const fs::path folder = fresh_folder("refusals");
    const fs::path pipe = folder / "pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, folder / "link.png");
    EXPECT_EQ(output_problem(pipe.string()), "is a named pipe (FIFO)");
    const std::string link = (folder / "link.png").string();
    EXPECT_EQ(output_problem(link), "is a named pipe (FIFO)");
    EXPECT_EQ(output_problem("/dev/null"), "is a character device");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(write_png(pipe.string(), grey_image(4, 4)));
    EXPECT_FALSE(write_png(link, grey_image(4, 4)));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot write " + link + ": is a named pipe (FIFO)"), std::string::npos) << said;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.png")));
    EXPECT_EQ(entries_in(folder), 2) << "no file left beside them";
}

TEST(SafeOutput, AFailedWriteKeepsTheOldFileAndAGoodOneReplacesIt) {
    const fs::path folder = fresh_folder("replace");
    const fs::path target = folder / "frame.png";
    std::ofstream(target) << "the old picture";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(write_png(target.string(), grey_image(0, 0)));  // libpng refuses an empty picture
    testing::internal::GetCapturedStderr();
    std::ifstream old(target);
    std::string kept;
    std::getline(old, kept);
    EXPECT_EQ(kept, "the old picture");
    EXPECT_EQ(entries_in(folder), 1);

    ASSERT_TRUE(write_png(target.string(), grey_image(6, 5)));
    rgb_image back;
    ASSERT_TRUE(read_png(target.string(), back));
    EXPECT_EQ(back.width, 6);
    EXPECT_EQ(back.pixels, grey_image(6, 5).pixels);
    EXPECT_EQ(entries_in(folder), 1);
}

// A link to a regular file is written through: the link stays, its file changes.
TEST(SafeOutput, ALinkToAFileIsWrittenThrough) {
    const fs::path folder = fresh_folder("link");
    std::ofstream(folder / "real.png") << "old";
    fs::create_symlink(folder / "real.png", folder / "link.png");
    EXPECT_EQ(output_target((folder / "link.png").string()), (folder / "real.png").string());
    ASSERT_TRUE(write_png((folder / "link.png").string(), grey_image(2, 2)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.png")));
    rgb_image back;
    EXPECT_TRUE(read_png((folder / "real.png").string(), back));
    EXPECT_EQ(entries_in(folder), 2);
}

}  // namespace

namespace {

// A process id that names no running process: a child that has ended.
long ended_process() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return long(child);
}

}  // namespace

// What runs of this machine left when they were killed goes, said in one line;
// a running writer's part, another machine's and other hidden files stay.
TEST(SafeOutput, LeftoversOfEndedRunsAreRemovedOnce) {
    const fs::path folder = fresh_folder("leftovers");
    const std::string mark = writer_mark();
    const std::string machine = mark.substr(mark.find('@') + 1);
    const std::string dead = std::to_string(ended_process()) + "@" + machine;
    const std::string alive = std::to_string(getppid()) + "@" + machine;
    std::ofstream(folder / (".out.mp4.part-" + dead + "-0.mp4")) << "killed";
    std::ofstream(folder / (".frame_00003.png.part-" + dead + "-7.png")) << "killed";
    fs::create_directories(folder / (".clip.mp4.slices-" + dead + "-a1b2c3") / "inside");
    std::ofstream(folder / (".out.mp4.part-" + alive + "-0.mp4")) << "still being written";
    std::ofstream(folder / (".out.mp4.part-" + std::to_string(ended_process()) + "@other_machine-0.mp4")) << "shared";
    std::ofstream(folder / ".notes.part-three") << "not ours";

    testing::internal::CaptureStderr();
    remove_leftovers(folder.string());
    remove_leftovers(folder.string());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "velmoria-capture: removed 3 unfinished files left in " + folder.string() +
                        " by runs that had ended\n");
    EXPECT_EQ(entries_in(folder), 3);
    EXPECT_TRUE(fs::exists(folder / (".out.mp4.part-" + alive + "-0.mp4")));
    EXPECT_TRUE(fs::exists(folder / ".notes.part-three"));

    // The tool's own temporary names carry the mark that makes them removable.
    std::string problem;
    const std::string part = temporary_beside((folder / "frame.png").string(), problem);
    EXPECT_EQ(fs::path(part).filename().string().rfind(".frame.png.part-" + mark + "-", 0), 0u) << part;
    discard_file(part);
}
