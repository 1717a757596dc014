// The window and context on a real X display (Xvfb with Mesa): exact client size at
// (50, 50), not resizable, the pixel format asked for, the projection of
// resize_scene, the refused full-screen fall-back (also for a listed mode that
// cannot be set), the GL start-up probe, release, the end of a failed start and
// the clipboard.
#include "app/app_record.h"
#include "app/gl_requirements.h"
#include "app/gl_window.h"
#include "app/window_procedure.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "timeline/frame_driver.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Not the show's own title, so that the smoke test running beside these never
// mistakes one of these windows for the show's.
constexpr const char* test_title = "velmoria shell window test";

struct asked_box {
    std::string text;
    std::string caption;
    message_buttons buttons;
    bool window_open = false;  // whether the window still existed when it was asked
};
std::vector<asked_box> boxes_asked;
message_answer answer_to_questions = message_answer::yes;

message_answer record_box(const char* text, const char* caption, message_icon, message_buttons buttons) {
    boxes_asked.push_back({text, caption, buttons, app.window != nullptr});
    return buttons == message_buttons::yes_no ? answer_to_questions : message_answer::ok;
}

class GlWindow : public ::testing::Test {
protected:
    void SetUp() override {
        boxes_asked.clear();
        set_message_box_handler(record_box);
        app.fullscreen = 0;
    }
    void TearDown() override {
        kill_gl_window();
        unregister_window_class();
        set_message_box_handler(nullptr);
    }
};

// gluPerspective's matrix, column-major.
std::vector<double> perspective(double fovy, double aspect, double near_plane, double far_plane) {
    double f = 1.0 / std::tan(fovy * M_PI / 360.0);
    std::vector<double> m(16, 0.0);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (far_plane + near_plane) / (near_plane - far_plane);
    m[11] = -1.0;
    m[14] = 2.0 * far_plane * near_plane / (near_plane - far_plane);
    return m;
}

void expect_matrix(GLenum which, const std::vector<double>& expected) {
    GLdouble actual[16];
    glGetDoublev(which, actual);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5 * (1.0 + std::fabs(expected[i]))) << i;
}

TEST_F(GlWindow, WindowedClientAreaIsExactAtFiftyFiftyWithTheAskedPixelFormat) {
    ASSERT_TRUE(open_gl_window(test_title, 640, 360, 32, 0));
    ASSERT_NE(app.window, nullptr);
    ASSERT_NE(app.gl_context, nullptr);
    int width = 0, height = 0, x = 0, y = 0;
    client_size(app.window, width, height);
    client_position(app.window, x, y);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    uint32_t flags = SDL_GetWindowFlags(app.window);
    EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_EQ(flags & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_NE(flags & SDL_WINDOW_SHOWN, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(app.window), test_title);
    pixel_format_report format = read_pixel_format();
    EXPECT_TRUE(format.double_buffer);
    // The show asks for alpha: a visual without it means the request dropped it
    // (any visual that has alpha has 8 bits of it). The X servers the tests run on
    // give 32 depth bits to every visual, so only the floor can be checked there.
    EXPECT_GE(format.alpha_bits, 8);
    EXPECT_GE(format.depth_bits, 24);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 360);
    EXPECT_TRUE(boxes_asked.empty());
}

TEST_F(GlWindow, ResizeSceneWithHeightZeroUsesHeightOne) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    resize_scene(320, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 1);
    expect_matrix(GL_PROJECTION_MATRIX, perspective(45.0, 320.0, 0.10000000149011612, 100.0));
    expect_matrix(GL_MODELVIEW_MATRIX, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    resize_scene(1280, 720);
    expect_matrix(GL_PROJECTION_MATRIX, perspective(45.0, 1280.0 / 720.0, 0.10000000149011612, 100.0));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlWindow, SizeMessageResetsTheProjection) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    window_procedure(app.window, 5, 0, intptr_t((200 << 16) | 400));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 200);
    expect_matrix(GL_PROJECTION_MATRIX, perspective(45.0, 2.0, 0.10000000149011612, 100.0));
}

TEST_F(GlWindow, RefusedFullScreenWithYesOpensWindowedAtTheAskedSize) {
    answer_to_questions = message_answer::yes;
    ASSERT_TRUE(open_gl_window(test_title, 1000, 700, 32, 1));  // no such mode on Xvfb
    ASSERT_EQ(boxes_asked.size(), 1u);
    EXPECT_EQ(boxes_asked[0].caption, "KRV GL ;-)");
    EXPECT_EQ(boxes_asked[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
    EXPECT_EQ(boxes_asked[0].buttons, message_buttons::yes_no);
    EXPECT_EQ(app.fullscreen, 0);
    int width = 0, height = 0, x = 0, y = 0;
    client_size(app.window, width, height);
    client_position(app.window, x, y);
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 700);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(SDL_GetWindowFlags(app.window) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(GlWindow, RefusedFullScreenWithNoClosesWithoutAWindow) {
    answer_to_questions = message_answer::no;
    EXPECT_FALSE(open_gl_window(test_title, 1000, 700, 32, 1));
    ASSERT_EQ(boxes_asked.size(), 2u);
    EXPECT_EQ(boxes_asked[1].text, "Program Will Now Close.");
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(app.gl_context, nullptr);
}

// A display that lists the mode but refuses to set it when the window is made.
std::vector<bool> windows_asked;  // full screen or not, in order
SDL_Window* refuse_full_screen(const char* title, int x, int y, int width, int height, bool fullscreen) {
    windows_asked.push_back(fullscreen);
    return fullscreen ? nullptr : create_window(title, x, y, width, height, false);
}

TEST_F(GlWindow, ListedFullScreenModeThatCannotBeSetGetsTheWindowedOffer) {
    ASSERT_TRUE(register_window_class(window_procedure).done());
    answer_to_questions = message_answer::yes;
    windows_asked.clear();
    app.fullscreen = 1;
    ASSERT_TRUE(make_show_window(test_title, 640, 360, refuse_full_screen));
    EXPECT_EQ(windows_asked, (std::vector<bool>{true, false}));
    ASSERT_EQ(boxes_asked.size(), 1u);
    EXPECT_EQ(boxes_asked[0].buttons, message_buttons::yes_no);
    EXPECT_EQ(boxes_asked[0].caption, "KRV GL ;-)");
    EXPECT_EQ(app.fullscreen, 0);
    int x = 0, y = 0;
    client_position(app.window, x, y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    kill_gl_window();

    answer_to_questions = message_answer::no;
    boxes_asked.clear();
    windows_asked.clear();
    app.fullscreen = 1;
    EXPECT_FALSE(make_show_window(test_title, 640, 360, refuse_full_screen));
    EXPECT_EQ(windows_asked, (std::vector<bool>{true}));
    ASSERT_EQ(boxes_asked.size(), 2u);
    EXPECT_EQ(boxes_asked[1].text, "Program Will Now Close.");  // never "Window Creation Error."
    EXPECT_EQ(app.window, nullptr);
}

TEST_F(GlWindow, OfferedFullScreenModeTakesTheWholeScreenAndHidesTheCursor) {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    ASSERT_TRUE(open_gl_window(test_title, desktop.w, desktop.h, 32, 1));
    EXPECT_TRUE(boxes_asked.empty());
    EXPECT_EQ(app.fullscreen, 1);
    EXPECT_NE(SDL_GetWindowFlags(app.window) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    int width = 0, height = 0;
    client_size(app.window, width, height);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(height, desktop.h);
    kill_gl_window();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(GlWindow, KillWritesTheFrameLogWhenItIsSwitchedOn) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    std::string path = testing::TempDir() + "shell_frame_log.txt";
    app.frame_log = 1;
    app.frame_log_record.stream.open(path);
    app.frame_log_record.failed = false;
    app.frame_log_record.slots.assign(2, frame_log_slot{});
    kill_gl_window();
    app.frame_log = 0;
    EXPECT_TRUE(app.frame_log_record.slots.empty());
    std::ifstream written(path);
    int count = -1;
    written >> count;
    EXPECT_EQ(count, 2);
    std::remove(path.c_str());
}

TEST_F(GlWindow, MesaOffersEveryFeatureTheShowNeeds) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    gl_feature_probe probe = probe_gl_features();
    EXPECT_TRUE(probe.loader_ready) << probe.loader_error;
    EXPECT_EQ(missing_gl_features(probe), std::vector<std::string>{});
    EXPECT_NE(probe.renderer.find("OpenGL"), std::string::npos);
}

TEST_F(GlWindow, KillReleasesEverythingQuietlyAndTwice) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    kill_gl_window();
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(app.gl_context, nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    kill_gl_window();
    EXPECT_TRUE(boxes_asked.empty());  // no "SHUTDOWN ERROR"
}

// A show that could not start: the file and reason on standard error, the window
// and context released, and only then the failure's box.
TEST_F(GlWindow, AFailedStartSaysItsReasonReleasesTheWindowThenShowsItsBox) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    show_status failed;
    failed.now = show_status::state::failed;
    failed.exit_code = 1;
    failed.problem = outcome::file_failed("textures/noise.jpg", "No such file or directory", "Jpg");
    failed.box_text = "textures/noise.jpg";
    failed.box_caption = "Jpg";
    testing::internal::CaptureStderr();
    end_failed_start(failed);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("velmoria: textures/noise.jpg: No such file or directory (/", 0), 0u) << said;
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(app.gl_context, nullptr);
    ASSERT_EQ(boxes_asked.size(), 1u);
    EXPECT_EQ(boxes_asked[0].text, "textures/noise.jpg");
    EXPECT_EQ(boxes_asked[0].caption, "Jpg");
    EXPECT_FALSE(boxes_asked[0].window_open);
}

TEST_F(GlWindow, NotesReachTheClipboardAndStandardOutput) {
    ASSERT_TRUE(open_gl_window(test_title, 320, 240, 32, 0));
    app.clip_text = "Cam :1,2,3  \nPnt :0,0,0  \n \nMCr :0,2,0  \n \n";
    testing::internal::CaptureStdout();
    hand_over_notes();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), app.clip_text);
    char* clipboard = SDL_GetClipboardText();
    EXPECT_EQ(std::string(clipboard), app.clip_text);
    SDL_free(clipboard);
    EXPECT_TRUE(copy_to_clipboard("second"));
    clipboard = SDL_GetClipboardText();
    EXPECT_STREQ(clipboard, "second");
    SDL_free(clipboard);
}

}  // namespace
