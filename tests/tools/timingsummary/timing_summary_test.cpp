// The timing-log summary on a small hand-made log: the settling time drops the
// first rows, rows without music count for the frame times only, the offset's
// sign and magnitude, nearest-rank percentiles, and what makes a log unreadable.
#include "tools/timingsummary/timing_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

// Columns as the show writes them. The first two rows fall in the first second
// (from 0.2 s): their large offset and frame time must not count.
const char* const small_log =
    "wall_s,heard_s,demo_time,show_time,step,cpu_ms,wall_ms\n"
    "0.200000,0.500000,0.000000,-2.000000,0.000000,150.0,200.000\n"
    "1.000000,1.900000,1.000000,-1.000000,0.800000,20.0,800.000\n"
    "1.200000,10.002000,10.000000,8.000000,0.010000,5.0,10.000\n"
    "1.300000,10.095000,10.100000,8.100000,0.100000,5.0,20.000\n"
    "1.400000,,10.200000,8.200000,0.100000,5.0,10.000\n"
    "1.500000,10.301000,10.300000,8.300000,0.100000,5.0,30.000\n"
    "1.600000,10.400000,10.400000,8.400000,0.100000,5.0,10.000\n";

std::vector<timing_sample> read(const std::string& text, std::string& problem) {
    std::istringstream in(text);
    std::vector<timing_sample> rows;
    EXPECT_TRUE(read_timing_log(in, rows, problem)) << problem;
    return rows;
}

bool refused(const std::string& text, const std::string& expected_problem) {
    std::istringstream in(text);
    std::vector<timing_sample> rows;
    std::string problem;
    return !read_timing_log(in, rows, problem) && problem == expected_problem;
}

}  // namespace

TEST(TimingSummary, OffsetAndFrameTimesAfterTheFirstSecond) {
    std::string problem;
    const std::vector<timing_sample> rows = read(small_log, problem);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_TRUE(std::isnan(rows[4].heard_s));

    const timing_summary s = summarise(rows, 1.0);
    EXPECT_EQ(s.frames, 7u);
    EXPECT_EQ(s.measured, 5u);
    EXPECT_EQ(s.with_music, 4u);
    // Offsets +2, -5, +1 and 0 ms: the mean keeps the sign, p99 and max take magnitudes.
    EXPECT_NEAR(s.offset_mean_ms, -0.5, 1e-6);
    EXPECT_NEAR(s.offset_p99_ms, 5.0, 1e-6);
    EXPECT_NEAR(s.offset_max_ms, 5.0, 1e-6);
    // Frame times 10, 20, 10, 30, 10 ms: nearest rank gives p50 10 and p90 30.
    EXPECT_EQ(s.frame_p50_ms, 10.0);
    EXPECT_EQ(s.frame_p90_ms, 30.0);
    EXPECT_EQ(s.frame_p99_ms, 30.0);
    EXPECT_EQ(s.frame_max_ms, 30.0);
    EXPECT_EQ(s.over_twice_median, 1u) << "20 ms is exactly twice the median and does not count";

    const std::string text = format_summary(s, 1.0);
    EXPECT_NE(text.find("mean -0.50, p99 5.00, max 5.00"), std::string::npos) << text;
    EXPECT_NE(text.find("frames over 2 x the median: 1 (20.00 %)"), std::string::npos) << text;
}

TEST(TimingSummary, PercentilesTakeTheNearestRank) {
    EXPECT_EQ(percentile({4, 1, 3, 2}, 50.0), 2.0);
    EXPECT_EQ(percentile({4, 1, 3, 2}, 75.0), 3.0);
    EXPECT_EQ(percentile({4, 1, 3, 2}, 76.0), 4.0);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(percentile(hundred, 99.0), 99.0);
    EXPECT_TRUE(std::isnan(percentile({}, 50.0)));
}

TEST(TimingSummary, ColumnsAreFoundByNameAndBadLogsAreRefused) {
    std::string problem;
    const auto rows = read("wall_ms,demo_time,heard_s,wall_s\r\n12.5,3.0,3.004,0.5\r\n", problem);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].wall_ms, 12.5);
    EXPECT_EQ(rows[0].demo_time, 3.0);
    EXPECT_EQ(rows[0].heard_s, 3.004);
    EXPECT_EQ(rows[0].wall_s, 0.5);

    EXPECT_TRUE(refused("", "empty file, no header"));
    EXPECT_TRUE(refused("wall_s,heard_s,demo_time\n", "the header has no column wall_ms"));
    EXPECT_TRUE(refused("wall_s,heard_s,demo_time,wall_ms\n1,2,3,4\n1,2,x,4\n", "line 3: bad demo_time field"));
    EXPECT_TRUE(refused("wall_s,heard_s,demo_time,wall_ms\n1,2,3\n", "line 2: bad wall_ms field"));
    EXPECT_TRUE(refused("wall_s,heard_s,demo_time,wall_ms\n,2,3,4\n", "line 2: bad wall_s field"))
        << "only the heard position may be empty";
}
