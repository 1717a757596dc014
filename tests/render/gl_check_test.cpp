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
