// End-to-end runs of the real executable, with data/ as its working folder: through
// the setup dialog on an X server of the test's own to the show's window (title and
// client size as xwininfo reports them), Escape ending the show with exit code 0;
// and a missing GL extension ending it with exit code 1 and a message naming it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/e2e_session.h"

namespace {

using namespace e2e;

const std::string dialog_title = "          Velmoria KRV - 2010 ";
const std::string window_title = " =   Velmoria - KRV 2010 = ";

bool soundtrack_present() {
    return std::ifstream(VELMORIA_SOURCE_DIR "/data/music/Tolvek - Velmoria.mp3").good();
}

TEST(Smoke, DialogEnterOpensThe1280x720WindowWithItsTitleAndEscapeEndsWithZero) {
    ASSERT_TRUE(soundtrack_present())
        << "the soundtrack data/music/Tolvek - Velmoria.mp3 is missing; the show cannot start without it";
    private_x_server server;
    ASSERT_TRUE(server.running()) << "could not start Xvfb";
    server.add_test_modes();
    // GTK and SDL both on the X server, whatever desktop the tests run from.
    show_process show({{"GDK_BACKEND", "x11"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"}});

    std::string dialog = wait_for_window(show, dialog_title, 120s);
    ASSERT_FALSE(dialog.empty()) << "no setup dialog titled '" << dialog_title << "'\n" << show.output();
    // The default choices: full screen at the preselected 1280 x 720 mode, 16:9 picture.
    press_keys(dialog, "Return");

    std::string id = wait_for_window(show, window_title, 180s);
    ASSERT_FALSE(id.empty()) << "no show window titled '" << window_title << "'\n" << show.output();
    std::string info = window_info(id);
    EXPECT_NE(info.find("\"" + window_title + "\"\n"), std::string::npos) << info;
    window_size size = client_size(info);
    EXPECT_EQ(size.width, 1280) << info;
    EXPECT_EQ(size.height, 720) << info;

    ASSERT_TRUE(end_with_escape(show, id, 180s)) << "Escape did not end the show\n" << show.output();
    EXPECT_EQ(show.exit_code(), 0) << show.output();
}

TEST(Smoke, MissingGlExtensionEndsWithOneAndNamesIt) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    // Without a display backend for GTK the dialog takes its fixed 1280 x 720
    // windowed mode at once, and the message box goes to standard error only
    // instead of waiting for a click. Mesa hides the extension from the show.
    show_process show({{"GDK_BACKEND", "wayland"},
                       {"WAYLAND_DISPLAY", ""},
                       {"SDL_VIDEODRIVER", "x11"},
                       {"MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_multisample"}});
    ASSERT_TRUE(show.wait_for_end(180s)) << show.output();
    EXPECT_EQ(show.exit_code(), 1) << show.output();
    std::string errors = show.standard_error();
    EXPECT_NE(errors.find("ERROR: This show needs OpenGL 2.0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("  GL_EXT_framebuffer_multisample\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Renderer: "), std::string::npos) << errors;
}

}  // namespace
