// Checks the test context itself: the attributes asked for are granted, and a
// clear of the back buffer reads back as the clear colour.
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

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
