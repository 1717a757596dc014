// Author mode end to end on the real executables: --author --start 100, P and Right
// three times hold the picture at the third whole second after the pause, and the
// window then shows exactly what velmoria-capture renders for that time; F1 lays
// the overlay over it and takes it off again; Escape still ends the paused show.
// The overlay lives in the show's program only: the capture tool does not link it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/e2e_session.h"

namespace {

using namespace e2e;

const std::string width_by_height = "320x180";

// The times in the show's author lines that match `pattern` (one group), in order.
std::vector<double> times_said(const child_process& show, const std::string& pattern) {
    std::vector<double> times;
    const std::string out = show.standard_output();
    const std::regex line(pattern);
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
        times.push_back(std::stod((*it)[1].str()));
    return times;
}

// ImageMagick's PSNR of two images in dB; infinite when they are identical, NaN
// when it could not compare.
double psnr(const std::string& a, const std::string& b) {
    const std::string said = run_command("compare -metric PSNR '" + a + "' '" + b + "' null: 2>&1");
    if (said.rfind("inf", 0) == 0) return std::numeric_limits<double>::infinity();
    char* end = nullptr;
    const double value = std::strtod(said.c_str(), &end);
    return end == said.c_str() ? std::nan("") : value;
}

class AuthorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "could not start Xvfb";
        char pattern[] = "/tmp/velmoria-author-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { run_status("rm -rf '" + folder + "'"); }

    // Screenshots of the window until one's PSNR against `reference` passes
    // `accept`; that PSNR, or the last one seen when `limit` passed.
    template <typename Accept>
    double shot_until(const std::string& window, const std::string& reference, Accept accept, seconds limit) {
        const std::string shot = folder + "/shot.png";
        double last = std::nan("");
        wait_until(
            [&] {
                if (run_status("import -window " + window + " '" + shot + "' 2>/dev/null") != 0) return false;
                last = psnr(shot, reference);
                return accept(last);
            },
            limit, 250ms);
        return last;
    }

    private_x_server server;
    std::string folder;
};

}  // namespace

TEST_F(AuthorEndToEnd, PausedAndSoughtFrameIsTheCaptureOfItsTimeAndF1OverlaysIt) {
    show_process show(on_x_server(),
                      {"--author", "--start", "100", "--no-dialog", "--windowed", "--size", width_by_height});
    const std::string window = wait_for_window(show, show_title, 180s);
    ASSERT_FALSE(window.empty()) << show.output();
    ASSERT_TRUE(press_keys(window, "p Right Right Right"));
    std::vector<double> seeks;
    wait_until([&] { return (seeks = times_said(show, R"(velmoria: at ([0-9.]+) s \(paused\))")).size() >= 3; }, 120s);
    ASSERT_EQ(seeks.size(), 3u) << show.output();
    const std::vector<double> pauses = times_said(show, R"(velmoria: paused at ([0-9.]+) s)");
    ASSERT_EQ(pauses.size(), 1u) << show.output();
    EXPECT_GE(pauses[0], 100.0);
    EXPECT_EQ(seeks[2], std::floor(pauses[0] + 1e-6) + 3.0) << show.output();

    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seeks[2]);
    const std::string capture = folder + "/capture.png";
    ASSERT_EQ(run_status("cd '" VELMORIA_SOURCE_DIR "/data' && '" VELMORIA_BINARY_DIR "/velmoria-capture' --time " +
                         std::string(time) + " --size " + width_by_height + " --out '" + capture + "' >/dev/null"),
              0);

    const auto same = [](double value) { return value >= 45.0; };
    EXPECT_GE(shot_until(window, capture, same, 90s), 45.0);
    // Held: a second later the window still shows that frame.
    EXPECT_GE(shot_until(window, capture, same, 5s), 45.0);

    ASSERT_TRUE(press_keys(window, "F1", 0s));
    EXPECT_LT(shot_until(window, capture, [](double value) { return value < 30.0; }, 60s), 30.0);
    ASSERT_TRUE(press_keys(window, "F1", 0s));
    EXPECT_GE(shot_until(window, capture, same, 60s), 45.0);

    EXPECT_TRUE(end_with_escape(show, window, 60s)) << show.output();
    EXPECT_EQ(show.exit_code(), 0);
}

TEST(AuthorOverlayLinking, OnlyTheShowsProgramCarriesTheOverlay) {
    const auto overlay_symbols = [](const char* program) {
        return run_command("nm -C '" VELMORIA_BINARY_DIR "/" + std::string(program) +
                           "' | grep -c ImGui_ImplOpenGL2_RenderDrawData");
    };
    EXPECT_NE(overlay_symbols("velmoria"), "0\n");
    EXPECT_EQ(overlay_symbols("velmoria-capture"), "0\n");
}
