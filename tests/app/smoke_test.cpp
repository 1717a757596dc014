// End-to-end runs of the real executable from data/, each on an X server of the
// test's own and through the setup dialog: the show's window (title and client size
// as xwininfo reports them) and Escape ending it with exit code 0; a missing GL
// extension ending it with exit code 1 after a message naming it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/e2e_session.h"

namespace {

using namespace e2e;

bool soundtrack_present() {
    return std::ifstream(VELMORIA_SOURCE_DIR "/data/music/Tolvek - Velmoria.mp3").good();
}

class Smoke : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "could not start Xvfb";
        server.add_test_modes();
    }
    private_x_server server;
};

TEST_F(Smoke, DialogEnterOpensThe1280x720WindowWithItsTitleAndEscapeEndsWithZero) {
    ASSERT_TRUE(soundtrack_present())
        << "the soundtrack data/music/Tolvek - Velmoria.mp3 is missing; the show cannot start without it";
    auto [show, dialog] = start_show_at_dialog(on_x_server(), 120s);
    ASSERT_FALSE(dialog.empty()) << "no setup dialog titled '" << dialog_title << "'\n" << show->output();
    // The default choices: full screen at the preselected 1280 x 720 mode, 16:9 picture.
    ASSERT_TRUE(press_keys(dialog, "Return")) << "xdotool could not press Return in the dialog";

    std::string id = wait_for_window(*show, show_title, 180s);
    ASSERT_FALSE(id.empty()) << "no show window titled '" << show_title << "'\n" << show->output();
    std::string info = window_info(id);
    EXPECT_NE(info.find("\"" + show_title + "\"\n"), std::string::npos) << info;
    window_size size = client_size(info);
    EXPECT_EQ(size.width, 1280) << info;
    EXPECT_EQ(size.height, 720) << info;

    ASSERT_TRUE(end_with_escape(*show, id, 180s)) << "Escape did not end the show\n" << show->output();
    EXPECT_EQ(show->exit_code(), 0) << show->output();
}

TEST_F(Smoke, MissingGlExtensionEndsWithOneAndNamesIt) {
    // Mesa hides the extension from the show.
    auto [show, dialog] =
        start_show_at_dialog(on_x_server({{"MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_multisample"}}), 120s);
    ASSERT_FALSE(dialog.empty()) << "no setup dialog\n" << show->output();
    ASSERT_TRUE(press_keys(dialog, "Return")) << "xdotool could not press Return in the dialog";

    // The message goes to standard error and into a message box that waits for OK.
    std::string box = wait_for_window(*show, "ERROR", 180s);
    ASSERT_FALSE(box.empty()) << "no message box\n" << show->output();
    std::string errors = show->standard_error();
    EXPECT_NE(errors.find("ERROR: This show needs OpenGL 2.0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("  GL_EXT_framebuffer_multisample\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Renderer: "), std::string::npos) << errors;
    ASSERT_TRUE(press_keys(box, "Return")) << "xdotool could not press Return in the message box";
    ASSERT_TRUE(show->wait_for_end(120s)) << show->output();
    EXPECT_EQ(show->exit_code(), 1) << show->output();
}

}  // namespace
