// The loading part on real GL: its frame is a black, fully cleared window even
// with nothing in texture slot 10, and the caller's state comes back whole.
#include "tests/render/render_gl_fixture.h"

#include "timeline/frame_records.h"
#include "timeline/part_loader.h"

TEST_F(RenderGlTest, LoadingFrameIsBlackWithAnEmptyLogoSlot) {
    context->sizes.render_width = size;
    context->sizes.render_height = size;
    part_loader loader;
    loader.logo_slot_offset = 5;
    loader.init(context.get());
    EXPECT_EQ(loader.logo_slot_offset, 0);
    ASSERT_EQ(context->texture_of_slot(10), 0u);

    // Leave something visible and some state the frame must not keep.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    double projection_before[16], projection_after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection_before);

    FrameTiming timing;
    loader.draw(&timing, context.get(), nullptr);

    const auto pixels = gl->read_pixels(0, 0, size, size);
    for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], 0) << "byte " << i;
    float depth = 0;
    glReadPixels(size / 2, size / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);

    GLfloat clear_colour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear_colour);
    EXPECT_EQ(clear_colour[0], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(projection_after[i], projection_before[i]);
    EXPECT_EQ(timing.step, 0.0);
}

TEST_F(RenderGlTest, LoadingFrameDrawsToTheWindowEvenFromATargetAndWithoutASize) {
    context->create_render_target(0, 8, 8, 4);
    context->bind_render_target(0, 1);
    context->sizes.render_width = 0;
    context->sizes.render_height = 0;  // not sized yet: the frame still works without a NaN aspect
    part_loader loader;
    loader.init(context.get());
    loader.draw(nullptr, context.get(), nullptr);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
}
