// The setup dialog end to end: the real executable on an X server of the test's
// own, found by the dialog's title and driven with xdotool. The server's one mode
// (1920 x 1080) is joined by a few more through RandR for the test's duration,
// so the list holds a 1280 x 720 entry to preselect.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/e2e_session.h"

namespace {

using namespace e2e;

// Waits for the end of a process that should not open the show window, looking for
// that window all the while.
bool ends_without_show_window(show_process& show) {
    bool window_seen = false;
    wait_until(
        [&] {
            window_seen = window_seen || !find_window(show_title, show.pid()).empty();
            return show.ended();
        },
        60s, 50ms);
    return show.ended() && !window_seen;
}

// The show window's client size once it is mapped; zeros if it never is.
window_size wait_for_show_window(show_process& show, std::string& id) {
    id = wait_for_window(show, show_title, 180s);
    return id.empty() ? window_size{} : client_size(window_info(id));
}

bool soundtrack_present() {
    return std::ifstream(VELMORIA_SOURCE_DIR "/data/music/Tolvek - Velmoria.mp3").good();
}

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "could not start Xvfb";
        // SDL lists them in its own order: largest first. 768 x 1024 is portrait,
        // so it is not offered.
        server.add_test_modes();
    }

    private_x_server server;
};

TEST_F(SetupDialog, EnterRunsAtThePreselected1280x720) {
    ASSERT_TRUE(soundtrack_present()) << "data/music/Tolvek - Velmoria.mp3 is missing; the show cannot run";
    auto [started, dialog] = start_show_at_dialog(on_x_server(), 120s);
    show_process& show = *started;
    ASSERT_FALSE(dialog.empty()) << "no setup dialog\n" << show.output();
    ASSERT_TRUE(press_keys(dialog, "Return"));
    std::string id;
    window_size size = wait_for_show_window(show, id);
    EXPECT_EQ(size.width, 1280) << show.output();
    EXPECT_EQ(size.height, 720);
    ASSERT_TRUE(end_with_escape(show, id, 180s)) << "Escape did not end the show\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, KeyboardPicksModeAndWindowedWith16By9) {
    ASSERT_TRUE(soundtrack_present()) << "data/music/Tolvek - Velmoria.mp3 is missing; the show cannot run";
    auto [started, dialog] = start_show_at_dialog(on_x_server(), 120s);
    show_process& show = *started;
    ASSERT_FALSE(dialog.empty()) << show.output();
    // The drop-down has the focus: Down moves from 1280 x 720 to 1024 x 768; two
    // Tabs reach Windowed, Space checks it. Force 16:9 stays on: 1024 x 576.
    ASSERT_TRUE(press_keys(dialog, "Down Tab Tab space Return"));
    std::string id;
    window_size size = wait_for_show_window(show, id);
    EXPECT_EQ(size.width, 1024) << show.output();
    EXPECT_EQ(size.height, 576);
    ASSERT_TRUE(end_with_escape(show, id, 180s)) << "Escape did not end the show\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, EscapeQuitsWithZeroBeforeAnyWindow) {
    auto [started, dialog] = start_show_at_dialog(on_x_server(), 120s);
    show_process& show = *started;
    ASSERT_FALSE(dialog.empty()) << show.output();
    ASSERT_TRUE(press_keys(dialog, "Escape", 0s));
    EXPECT_TRUE(ends_without_show_window(show)) << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST_F(SetupDialog, CloseBoxQuitsWithZeroBeforeAnyWindow) {
    auto [started, dialog] = start_show_at_dialog(on_x_server(), 120s);
    show_process& show = *started;
    ASSERT_FALSE(dialog.empty()) << show.output();
    server.request_close(dialog);
    EXPECT_TRUE(ends_without_show_window(show)) << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

}  // namespace
