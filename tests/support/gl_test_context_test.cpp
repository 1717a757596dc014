// Checks the test context itself: the attributes asked for are granted, and a
// clear of the back buffer reads back as the clear colour.
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

TEST(GlTestContext, GrantsRequestedBuffersAndReadsBackAClear) {
    gl_test::GlTestContext gl(32, 16);
    GLint alpha = 0, depth = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_EQ(alpha, 8);
    EXPECT_GE(depth, 24);
    EXPECT_TRUE(GLEW_VERSION_2_1);
    EXPECT_TRUE(GLEW_EXT_framebuffer_object || GLEW_ARB_framebuffer_object);

    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    auto p = gl.pixel(31, 15);
    EXPECT_EQ(p[0], 255);
    EXPECT_NEAR(p[1], 128, 1);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 255);
    EXPECT_EQ(gl.read_pixels(0, 0, 32, 16).size(), 32u * 16u * 4u);
    EXPECT_EQ(gl_test::GlTestContext::first_error(), static_cast<GLenum>(GL_NO_ERROR));
}

// Sets an environment variable for one scope, restoring what was there.
class scoped_env {
public:
    scoped_env(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv(name, value, 1);
    }
    ~scoped_env() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// A context that cannot be had is tried twice, the first failure said on
// standard error, and the reason of the second given in the exception.
TEST(GlTestContext, SaysWhyItFailedAndTriesOnceMore) {
    std::string reason, said;
    {
        scoped_env display("DISPLAY", ":9999");  // no server listens there
        scoped_env driver("SDL_VIDEODRIVER", "x11");  // no fallback to a driver that draws nowhere
        testing::internal::CaptureStderr();
        try {
            gl_test::GlTestContext gl(8, 8);
        } catch (const std::runtime_error& e) {
            reason = e.what();
        }
        said = testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(reason.rfind("GL test context: cannot initialise SDL video: ", 0), 0u) << reason;
    EXPECT_NE(said.find("GL test context: cannot initialise SDL video: "), std::string::npos) << said;
    EXPECT_NE(said.find("; trying once more"), std::string::npos) << said;
}
