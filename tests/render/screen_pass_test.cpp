// Screen passes on real GL: repeated passes read their own previous output,
// unused inputs leave their samplers alone, and the quad's mirroring, rotation,
// scale and rotation clearing show in the picture.
#include "render_gl_fixture.h"

#include "render/screen_passes.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

constexpr int pass_size = 8;

GLint sampler_unit(GLuint program, const char* name) {
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &unit);
    return unit;
}

}  // namespace

class ScreenPass : public RenderGlTest, public ::testing::WithParamInterface<int> {};

TEST_P(ScreenPass, SecondPassReadsTheFirstPassOutput) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_add_quarter"), 1);
    GetCapturedStdout();
    context->create_render_target(1, pass_size, pass_size, GetParam());
    fill_slot(3, pass_size, pass_size, 51, 51, 51, 51);  // 0.2
    context->create_color_target_texture(4, pass_size, pass_size, 0);

    run_screen_pass(*context, *table, 1, 1, 2, pass_size, pass_size, 3, 4, -1, -1);

    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(static_cast<GLuint>(program), table->programs[1]);
    ShaderProgramTable::use_fixed_function();
    // 0.2 + 0.25 = 0.45 after one pass; the second reads that and gives 0.70.
    const auto out = texture_bytes(context->texture_of_slot(4), GL_RGBA, pass_size, pass_size, 4);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_NEAR(out[i], 179, 1) << "byte " << i;
    // The source is only read, never written.
    const auto source = texture_bytes(context->texture_of_slot(3), GL_RGBA, pass_size, pass_size, 4);
    EXPECT_EQ(source[0], 51);
}

INSTANTIATE_TEST_SUITE_P(FourSamplesAndSingleSample, ScreenPass, ::testing::Values(4, 0));

TEST_F(RenderGlTest, UnusedSecondAndThirdInputsLeaveTheirSamplersAlone) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_three_inputs"), 6);
    GetCapturedStdout();
    const GLuint program = table->programs[6];
    table->set_uniform_1i(6, "texture2d_2", 5);
    table->set_uniform_1i(6, "texture2d_3", 6);
    context->create_render_target(0, pass_size, pass_size, 4);
    fill_slot(10, pass_size, pass_size, 200, 0, 0, 255);
    fill_slot(11, pass_size, pass_size, 0, 150, 0, 255);
    fill_slot(12, pass_size, pass_size, 0, 0, 100, 255);
    context->create_color_target_texture(13, pass_size, pass_size, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, context->texture_of_slot(12));
    glActiveTexture(GL_TEXTURE0);

    run_screen_pass(*context, *table, 6, 0, 1, pass_size, pass_size, 10, 13, -1, -1);
    EXPECT_EQ(sampler_unit(program, "texture2d_1"), 0);
    EXPECT_EQ(sampler_unit(program, "texture2d_2"), 5);
    EXPECT_EQ(sampler_unit(program, "texture2d_3"), 6);
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), context->texture_of_slot(12));

    run_screen_pass(*context, *table, 6, 0, 1, pass_size, pass_size, 10, 13, 11, 12);
    EXPECT_EQ(sampler_unit(program, "texture2d_2"), 1);
    EXPECT_EQ(sampler_unit(program, "texture2d_3"), 2);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE2);  // the last sampler bound
    glActiveTexture(GL_TEXTURE0);
    ShaderProgramTable::use_fixed_function();
    const auto out = texture_bytes(context->texture_of_slot(13), GL_RGBA, pass_size, pass_size, 4);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[1], 150);
    EXPECT_EQ(out[2], 100);
}

// A 2 x 2 texture with a distinct colour per texel, drawn with the fixed
// pipeline over the whole 64 x 64 window; corner pixels show the orientation.
class ScreenQuad : public RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255,     // bottom: red, green
                                    0, 0, 255, 255, 255, 255, 0, 255};  // top: blue, yellow
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        reset_flat_state();
        glEnable(GL_TEXTURE_2D);
    }
    std::array<uint8_t, 4> at(int x, int y) const { return gl->pixel(x, y); }
    static constexpr std::array<uint8_t, 4> red{255, 0, 0, 255}, green{0, 255, 0, 255},
        blue{0, 0, 255, 255}, yellow{255, 255, 0, 255}, clear{0, 0, 0, 0};
    GLuint texture = 0;
};

TEST_F(ScreenQuad, PositiveScaleCoversTheViewportUnmirrored) {
    draw_screen_quad(0, 1, 1, true, 1.0f);
    EXPECT_EQ(at(2, 2), red);
    EXPECT_EQ(at(61, 2), green);
    EXPECT_EQ(at(2, 61), blue);
    EXPECT_EQ(at(61, 61), yellow);
}

TEST_F(ScreenQuad, NegativeXScaleMirrorsLeftToRight) {
    draw_screen_quad(0, -1, 1, true, 1.0f);
    EXPECT_EQ(at(2, 2), green);
    EXPECT_EQ(at(61, 2), red);
    EXPECT_EQ(at(2, 61), yellow);
    EXPECT_EQ(at(61, 61), blue);
}

TEST_F(ScreenQuad, AngleRotatesAndScaleShrinksTheQuad) {
    draw_screen_quad(180, 0.5, 0.5, true, 1.0f);
    EXPECT_EQ(at(2, 2), clear);    // outside the half-size quad
    EXPECT_EQ(at(20, 20), yellow);  // turned half round: the top-right texel is bottom-left
    EXPECT_EQ(at(43, 43), red);
}

TEST_F(ScreenQuad, ClearingTheRotationKeepsOnlyTheTranslation) {
    glRotated(90, 0, 0, 1);
    glTranslated(0, 0, 0.5);  // no visible effect under identity projection
    draw_screen_quad(0, 1, 1, true, 1.0f);
    EXPECT_EQ(at(2, 2), red);
    EXPECT_EQ(at(61, 61), yellow);

    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glRotated(90, 0, 0, 1);
    draw_screen_quad(0, 1, 1, false, 1.0f);  // the rotation stays: red moves to bottom-right
    EXPECT_EQ(at(61, 2), red);
}

