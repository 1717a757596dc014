// The frame-time log: slots per tenth of a second, the last frame of a tenth
// winning, the in-place smoothing checked against the formula written out
// directly, the file's 3N + 1 lines, and a log whose file cannot be opened.
#include "scratch.h"
#include "timeline/diagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string formatted(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

// The written log's (time, rate, value) lines of slot j.
struct written_slot {
    std::string time, rate, value;
};
written_slot slot_lines(const std::vector<std::string>& lines, size_t j) {
    return {lines[1 + 3 * j], lines[2 + 3 * j], lines[3 + 3 * j]};
}

TEST(FrameLog, SlotsPerTenthAndTheLaterFrameWins) {
    frame_time_log log;
    scratch_folder folder;
    open_frame_log(log, folder.file("frames.log").c_str(), 240.0);
    ASSERT_FALSE(log.failed);
    ASSERT_EQ(log.slots.size(), 2400u);
    record_frame_rate(log, 60, 1.21, 5);
    record_frame_rate(log, 30, 1.27, 6);
    EXPECT_EQ(log.slots[12].rate, 30);
    EXPECT_EQ(log.slots[12].time, 1.27);
    EXPECT_EQ(log.slots[12].value, 6);
    // A slot with no frame keeps index / 10 and rate 0.
    EXPECT_EQ(log.slots[13].time, 1.3);
    EXPECT_EQ(log.slots[2399].time, 239.9);
    EXPECT_EQ(log.slots[2399].rate, 0.0);
}

TEST(FrameLog, FramesOutsideTheDurationAreNotRecorded) {
    frame_time_log log;
    scratch_folder folder;
    open_frame_log(log, folder.file("frames.log").c_str(), 1.0);
    record_frame_rate(log, 50, 1.0, 1);
    record_frame_rate(log, 50, 1e300, 1);
    record_frame_rate(log, 50, -0.5, 1);  // would index before the first slot
    for (const frame_log_slot& slot : log.slots) EXPECT_EQ(slot.rate, 0);
    record_frame_rate(log, 50, 0.99, 1);
    EXPECT_EQ(log.slots[9].rate, 50);
}

TEST(FrameLog, FileHoldsCountThenThreeLinesPerSlot) {
    frame_time_log log;
    scratch_folder folder;
    std::string path = folder.file("frames.log");
    open_frame_log(log, path.c_str(), 2.0);
    double step = 0.0;
    record_frame_rate(log, 1 / 0.016, 0.05, 7);
    record_frame_rate(log, 1 / std::max(step, 0.00001), 1.95, 0);  // a step of 0
    write_frame_log(log);
    EXPECT_TRUE(log.slots.empty());
    std::vector<std::string> lines = lines_of(read_text(path));
    ASSERT_EQ(lines.size(), 3u * 20 + 1);
    EXPECT_EQ(lines[0], "20");
    written_slot first = slot_lines(lines, 0);
    EXPECT_EQ(first.time, "0.05");
    EXPECT_EQ(first.rate, "62.5");
    EXPECT_EQ(first.value, "7");
    written_slot empty = slot_lines(lines, 10);  // its rate is smoothed from its neighbours
    EXPECT_EQ(empty.time, "1");
    EXPECT_EQ(empty.value, "0");
    written_slot last = slot_lines(lines, 19);
    EXPECT_EQ(last.time, "1.95");
    EXPECT_EQ(last.rate, "100000");
    EXPECT_EQ(last.value, "0");
}

// The smoothing written out from its formula: a fresh copy per step, reading the
// already smoothed slots below i.
std::vector<double> smoothed_directly(std::vector<double> r) {
    const long n = long(r.size());
    for (long i = 3; i <= n - 4; ++i) {
        double forward = (10 * r[i] + 6 * r[i + 1] + 3 * r[i + 2] + 2 * r[i + 3]) / 21;
        double backward = (10 * r[i] + 6 * r[i - 1] + 3 * r[i - 2] + 2 * r[i - 3]) / 21;
        r[i] = (forward + backward) * 0.5;
    }
    return r;
}

TEST(FrameLog, SmoothingRunsInPlaceOverSlots3To2396) {
    frame_time_log log;
    scratch_folder folder;
    std::string path = folder.file("frames.log");
    open_frame_log(log, path.c_str(), 240.0);
    std::vector<double> raw(2400);
    uint32_t seed = 12345;
    for (size_t j = 0; j < raw.size(); ++j) {
        seed = seed * 1103515245u + 12345u;
        raw[j] = 20 + (seed >> 16) % 1000 / 10.0;
        record_frame_rate(log, raw[j], j / 10.0 + 0.05, 0);
    }
    write_frame_log(log);
    std::vector<std::string> lines = lines_of(read_text(path));
    ASSERT_EQ(lines.size(), 7201u);
    std::vector<double> want = smoothed_directly(raw);
    for (size_t j = 0; j < raw.size(); ++j)
        ASSERT_EQ(slot_lines(lines, j).rate, formatted(want[j])) << "slot " << j;
    for (size_t j : {0u, 1u, 2u, 2397u, 2398u, 2399u}) EXPECT_EQ(slot_lines(lines, j).rate, formatted(raw[j]));
    EXPECT_NE(slot_lines(lines, 3).rate, formatted(raw[3]));
    EXPECT_NE(slot_lines(lines, 2396).rate, formatted(raw[2396]));
}

TEST(FrameLog, UnopenableFileMakesEveryWriteANoOp) {
    frame_time_log log;
    open_frame_log(log, "/nonexistent folder/frames.log", 240.0);
    EXPECT_TRUE(log.failed);
    record_frame_rate(log, 60, 1.0, 0);
    write_frame_log(log);
    EXPECT_TRUE(log.slots.empty());
    EXPECT_FALSE(std::filesystem::exists("/nonexistent folder/frames.log"));
}

TEST(FrameLog, TheShowsPathIsRelativeToTheWorkingFolder) {
    scratch_folder folder(true);
    frame_time_log missing;
    open_frame_log(missing, "c://logs//orvalith2.log", 240.0);
    EXPECT_TRUE(missing.failed);  // no "c:/logs" folder here
    write_frame_log(missing);

    std::filesystem::create_directories("c:/logs");
    frame_time_log log;
    open_frame_log(log, "c://logs//orvalith2.log", 0.5);
    write_frame_log(log);
    EXPECT_EQ(read_text("c:/logs/orvalith2.log"), "5\n0\n0\n0\n0.1\n0\n0\n0.2\n0\n0\n0.3\n0\n0\n0.4\n0\n0\n");
}

}  // namespace
