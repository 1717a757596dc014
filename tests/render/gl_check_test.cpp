// The debug GL error check: its switch, what it reports and that a switched-off
// check leaves pending errors untouched.
#include "render_gl_fixture.h"

TEST_F(RenderGlTest, CheckReportsEachPendingErrorOnlyWhenSwitchedOn) {
    glEnable(0x1234);  // not a capability: GL_INVALID_ENUM
    gl_check::set_enabled(false);
    EXPECT_EQ(gl_check::check("switched off"), 0);
    EXPECT_EQ(gl_check::logged_count(), 0);

    gl_check::set_enabled(true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(gl_check::check("an invalid enable"), 1);  // still pending after the off check
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("GL_INVALID_ENUM"), std::string::npos) << log;
    EXPECT_NE(log.find("an invalid enable"), std::string::npos) << log;
    EXPECT_EQ(gl_check::logged_count(), 1);
    EXPECT_EQ(gl_check::check("nothing pending"), 0);
    gl_check::reset_logged_count();  // the error above was made on purpose
}

TEST_F(RenderGlTest, AnErrorThatRecursAtThePlaceIsWrittenOnce) {
    gl_check::set_enabled(true);
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 3; ++frame) {
        glEnable(0x1234);
        gl_check::check("every frame");
    }
    glEnable(0x1234);
    gl_check::check("another place");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gl_check::logged_count(), 4) << "every error is still counted";
    size_t lines = 0;
    for (char c : log) lines += c == '\n';
    EXPECT_EQ(lines, 2u) << log;
    EXPECT_NE(log.find("another place"), std::string::npos) << log;
    gl_check::reset_logged_count();
}
