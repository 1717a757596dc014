// The show's command line, end to end on the real executable: --help, --version
// and refused lines answer without a display, a run without one says so; --no-dialog opens the asked-for
// window at once and Escape ends it with 0, and so does closing the window; --start
// near the end makes the show end by itself within seconds, and --timing-log logs
// each of its frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/e2e_session.h"

namespace {

using namespace e2e;

// The show run to its end without a display (nothing in these runs needs one).
struct answer {
    int code = -1;
    std::string out;
    std::string err;
};

answer run_show(const std::vector<std::string>& args) {
    show_process show({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, args);
    answer result;
    if (!show.wait_for_end(60s)) return result;
    result.code = show.exit_code();
    result.out = show.standard_output();
    result.err = show.standard_error();
    return result;
}

// The rows of a timing log after its header, each split into its numbers.
std::vector<std::vector<double>> timing_rows(const std::string& file, std::string& header) {
    std::ifstream in(file);
    std::getline(in, header);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            row.push_back(field.empty() ? std::nan("") : std::strtod(field.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

answer run_show_on(const char* display, const std::vector<std::string>& args) {
    show_process show({{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}}, args);
    answer result;
    if (!show.wait_for_end(60s)) return result;
    result.code = show.exit_code();
    result.err = show.standard_error();
    return result;
}

class Launch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()) << "could not start Xvfb"; }
    private_x_server server;
};

}  // namespace

TEST(LaunchCommandLine, HelpAndVersionGoToStandardOutputWithZero) {
    const answer help = run_show({"--help"});
    EXPECT_EQ(help.code, 0) << help.err;
    EXPECT_EQ(help.out.rfind("usage: velmoria [OPTION]...\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--no-vsync"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");

    const answer version = run_show({"--version"});
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "velmoria " VELMORIA_EXPECTED_VERSION "\n");
}

TEST(LaunchCommandLine, BadLinesPrintTheUsageOnStandardErrorAndExitWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--size", "10x10"}, {"--start"}, {"--start", "400"}, {"--no-dialog", "extra"}}) {
        const answer bad = run_show(args);
        EXPECT_EQ(bad.code, 2) << args.front() << "\n" << bad.err;
        EXPECT_EQ(bad.out, "") << args.front();
        EXPECT_EQ(bad.err.rfind("velmoria: ", 0), 0u) << bad.err;
        EXPECT_NE(bad.err.find("\nusage: velmoria [OPTION]...\n"), std::string::npos) << bad.err;
    }
}

TEST(LaunchCommandLine, AnUnwritableTimingLogEndsTheStartWithOne) {
    const answer bad = run_show({"--no-dialog", "--timing-log", "/no-such-folder/frames.csv"});
    EXPECT_EQ(bad.code, 1) << bad.err;
    EXPECT_EQ(bad.err,
              "velmoria: cannot write the timing log /no-such-folder/frames.csv: No such file or directory\n");
}

TEST(LaunchWithoutDisplay, TheShowSaysNoDisplayCouldBeOpenedAndExitsWithOne) {
    const answer unset = run_show_on("", {"--no-dialog", "--windowed"});
    EXPECT_EQ(unset.code, 1) << unset.err;
    EXPECT_NE(unset.err.find("velmoria: cannot open a display: DISPLAY is not set\n"), std::string::npos) << unset.err;
    EXPECT_NE(unset.err.find("Failed To Register The Window Class."), std::string::npos) << unset.err;
    EXPECT_EQ(unset.err.find("PixelFormat"), std::string::npos) << unset.err;

    const answer gone = run_show_on(":9999", {"--no-dialog", "--windowed"});
    EXPECT_EQ(gone.code, 1) << gone.err;
    EXPECT_NE(gone.err.find("velmoria: cannot open display \":9999\": no X server there accepts the connection\n"),
              std::string::npos)
        << gone.err;
}

TEST_F(Launch, NoDialogWindowedSizeOpensExactlyThatWindowAndEscapeEndsWithZero) {
    show_process show(on_x_server(), {"--no-dialog", "--windowed", "--size", "960x540"});
    bool dialog_seen = false;
    std::string id;
    wait_until(
        [&] {
            if (!find_window(dialog_title, show.pid()).empty()) dialog_seen = true;
            if (show.ended()) return true;
            id = viewable_window(show_title, show.pid());
            return !id.empty();
        },
        180s, 50ms);
    EXPECT_FALSE(dialog_seen) << "a setup dialog appeared";
    ASSERT_FALSE(id.empty()) << "no show window titled '" << show_title << "'\n" << show.output();
    const std::string info = window_info(id);
    const window_size size = client_size(info);
    EXPECT_EQ(size.width, 960) << info;
    EXPECT_EQ(size.height, 540) << info;

    ASSERT_TRUE(end_with_escape(show, id, 180s)) << "Escape did not end the show\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

// What a window manager sends when the close box is clicked. The show would run
// for 291 s, so an end within the limit is the close's doing.
TEST_F(Launch, ClosingTheShowWindowEndsWithZero) {
    show_process show(on_x_server(), {"--no-dialog", "--windowed", "--size", "320x180", "--mute"});
    const std::string id = wait_for_window(show, show_title, 180s);
    ASSERT_FALSE(id.empty()) << "no show window titled '" << show_title << "'\n" << show.output();
    server.request_close(id);  // read once the show's loading is done, if it is not yet
    ASSERT_TRUE(show.wait_for_end(180s)) << "closing the window did not end the show\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(Launch, StartNearTheEndEndsTheShowByItselfWithZeroAndLogsItsFrames) {
    // Started 287 s in, the show has 4 s left; from the start it would run 291 s.
    const std::string log = std::filesystem::temp_directory_path() / ("velmoria_timing_" + std::to_string(getpid()));
    show_process show(on_x_server(), {"--no-dialog", "--windowed", "--size", "320x180", "--mute", "--start", "287",
                                      "--no-vsync", "--timing-log", log});
    ASSERT_TRUE(show.wait_for_end(150s)) << "the show did not end by itself\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();

    std::string header;
    const auto rows = timing_rows(log, header);
    std::filesystem::remove(log);
    EXPECT_EQ(header, "wall_s,heard_s,demo_time,show_time,step,cpu_ms,wall_ms");
    ASSERT_GE(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::vector<double>& r = rows[i];
        ASSERT_EQ(r.size(), 7u) << "row " << i;
        const double wall_s = r[0], heard = r[1], demo = r[2], show_time = r[3], step = r[4], cpu_ms = r[5],
                     wall_ms = r[6];
        EXPECT_GE(demo, 287.0) << "row " << i;
        EXPECT_LE(demo, 291.0) << "the frame past the end is not shown";
        // The muted music plays along; the first frame (shader compiles on the
        // software renderer) and a slow one show how far the sound got meanwhile.
        EXPECT_NEAR(heard, demo, 1.0 + (i == 0 ? 3.0 : wall_ms / 1000.0)) << "row " << i;
        EXPECT_LT(show_time, demo - 10.0) << "the part's clock runs slower than the demo time";
        EXPECT_GE(cpu_ms, 0.0);
        EXPECT_GT(wall_ms, 0.0);
        if (i == 0) continue;
        const std::vector<double>& p = rows[i - 1];
        EXPECT_GT(wall_s, p[0]) << "row " << i;
        EXPECT_GE(wall_s - p[0], wall_ms / 1000.0 - 0.002) << "a frame's work starts after the last swap";
        EXPECT_NEAR(step, demo - p[2], 2e-6) << "row " << i;
        EXPECT_GT(show_time, p[3]) << "row " << i;
    }
}
