// Render targets on real GL: multisample and single-sample resolves of two
// colour attachments, the depth resolve, target and buffer-count clamping, and
// the generated contents of colour-target and noise textures.
#include "render_gl_fixture.h"

#include "platform/show_random.h"
#include "render/screen_passes.h"

namespace {

constexpr int w = 16;
constexpr int h = 8;

// Identity matrices so that quad vertices are normalised device coordinates.
void identity_view() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A quad over the left half of the viewport at depth z (normalised coordinates).
void draw_left_half_at(float z) {
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, z);
    glVertex3f(0, -1, z);
    glVertex3f(0, 1, z);
    glVertex3f(-1, 1, z);
    glEnd();
}

}  // namespace

class RenderTargets : public RenderGlTest, public ::testing::WithParamInterface<int> {};

TEST_P(RenderTargets, ResolveCopiesBothColourAttachmentsIntoTheirTextures) {
    const int samples = GetParam();
    context->create_render_target(3, w, h, samples);
    context->create_color_target_texture(20, w, h, 0);
    context->create_color_target_texture(21, w, h, 0);
    context->attach_color_texture(3, 0, 20);
    context->attach_color_texture(3, 1, 21);
    table->create_fragment_program(fixture("f_two_outputs"), 1);

    context->bind_render_target(3, 2);
    glViewport(0, 0, w, h);
    identity_view();
    glDisable(GL_DEPTH_TEST);
    draw_screen_quad(0, 1, 1, true, 1.0f);
    context->resolve_render_target(3, w, h, 2, false);
    context->bind_window_framebuffer();
    ShaderProgramTable::use_fixed_function();

    const auto first = texture_bytes(context->texture_of_slot(20), GL_RGBA, w, h, 4);
    const auto second = texture_bytes(context->texture_of_slot(21), GL_RGBA, w, h, 4);
    for (size_t i = 0; i < first.size(); i += 4) {
        ASSERT_EQ(first[i], 255) << "pixel " << i / 4;
        ASSERT_EQ(first[i + 2], 0);
        ASSERT_EQ(second[i], 0);
        ASSERT_EQ(second[i + 2], 255);
        ASSERT_EQ(second[i + 3], 255);
    }
}

TEST_P(RenderTargets, DepthResolveHoldsTheSceneDepth) {
    const int samples = GetParam();
    context->create_render_target(0, w, h, samples);
    context->create_color_target_texture(30, w, h, 0);
    context->create_depth_texture(31, w, h);
    context->attach_color_texture(0, 0, 30);
    context->attach_depth_texture(0, 31);

    context->bind_render_target(0, 1);
    glViewport(0, 0, w, h);
    identity_view();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_left_half_at(0.5f);  // window depth 0.5 * 0.5 + 0.5 = 0.75
    context->resolve_render_target(0, w, h, 1, true);
    context->bind_window_framebuffer();

    std::vector<float> depth(w * h, -1.0f);
    glBindTexture(GL_TEXTURE_2D, context->texture_of_slot(31));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float expected = x < w / 2 ? 0.75f : 1.0f;
            ASSERT_NEAR(depth[y * w + x], expected, 1e-5) << "at " << x << ", " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FourSamplesAndSingleSample, RenderTargets, ::testing::Values(4, 0));

TEST_F(RenderGlTest, TargetNumbersAreClampedToTheSixteenTargets) {
    context->create_render_target(20, 4, 4, 0);
    context->create_render_target(-1, 4, 4, 4);
    for (int t = 0; t < render_target_count; ++t) {
        const bool built = t == 0 || t == 15;
        EXPECT_EQ(context->ms_fbo[t] != 0, built) << "target " << t;
        EXPECT_EQ(context->resolve_fbo[t] != 0, built) << "target " << t;
        EXPECT_EQ(context->ms_depth[t] != 0, built) << "target " << t;
    }
    EXPECT_EQ(context->ms_color2[0], 0u);  // the third colour renderbuffer is never made

    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), context->resolve_fbo[0]);
    GLint samples = -1;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, context->ms_color0[0]);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_SAMPLES_EXT, &samples);
    EXPECT_EQ(samples, 4);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, context->ms_color0[15]);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_SAMPLES_EXT, &samples);
    EXPECT_EQ(samples, 0);
}

TEST_F(RenderGlTest, BufferCountIsClampedBetweenOneAndThree) {
    context->create_render_target(2, 4, 4, 4);
    auto draw_buffer = [](int n) {
        GLint value = 0;
        glGetIntegerv(GL_DRAW_BUFFER0 + n, &value);
        return static_cast<GLenum>(value);
    };

    context->bind_render_target(2, 0);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), context->ms_fbo[2]);
    EXPECT_EQ(draw_buffer(0), static_cast<GLenum>(GL_COLOR_ATTACHMENT0_EXT));
    EXPECT_EQ(draw_buffer(1), static_cast<GLenum>(GL_NONE));

    context->bind_render_target(2, 5);
    EXPECT_EQ(draw_buffer(0), static_cast<GLenum>(GL_COLOR_ATTACHMENT0_EXT));
    EXPECT_EQ(draw_buffer(1), static_cast<GLenum>(GL_COLOR_ATTACHMENT1_EXT));
    EXPECT_EQ(draw_buffer(2), static_cast<GLenum>(GL_COLOR_ATTACHMENT2_EXT));
    EXPECT_EQ(draw_buffer(3), static_cast<GLenum>(GL_NONE));
    context->bind_window_framebuffer();
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(RenderGlTest, ColourTargetTextureHoldsTheGeneratorSequenceModulo255) {
    show_srand(7);
    context->texture_base = 100;  // slots are offset by the base
    context->create_color_target_texture(5, 5, 3, 0);
    const uint32_t state_after = show_rand_state();
    ASSERT_NE(context->texture_ids[105], 0u);
    const auto bytes = texture_bytes(context->texture_ids[105], GL_RGBA, 5, 3, 4);

    show_srand(7);
    for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], show_rand() % 255) << "byte " << i;
    }
    EXPECT_EQ(show_rand_state(), state_after);  // exactly one draw per byte
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &filter);
    EXPECT_EQ(filter, GL_REPEAT);
}

TEST_F(RenderGlTest, NoiseTextureIsFilledColumnByColumn) {
    // Width 5: rows of 15 bytes, which the upload must not read as 16-byte rows.
    constexpr int nw = 5, nh = 3;
    show_srand(1234);
    context->create_noise_texture(40, nw, nh);
    const auto bytes = texture_bytes(context->texture_of_slot(40), GL_RGB, nw, nh, 3);

    show_srand(1234);
    for (int x = 0; x < nw; ++x) {
        for (int y = 0; y < nh; ++y) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(bytes[(y * nw + x) * 3 + c], show_rand() & 0xff) << x << ", " << y;
            }
        }
    }
    GLint components = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &components);
    EXPECT_TRUE(components == 3 || components == GL_RGB || components == GL_RGB8) << components;
}

TEST_F(RenderGlTest, SlotsBindTheirTexturesAndProgressGoesToTheHook) {
    context->bind_texture_slot(77);  // never created: the default texture
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);

    context->create_color_target_texture(77, 2, 2, 0);
    const GLuint first = context->texture_of_slot(77);
    context->create_color_target_texture(77, 2, 2, 0);  // a new name; the old one lives on
    EXPECT_NE(context->texture_of_slot(77), first);
    EXPECT_TRUE(glIsTexture(first));
    glBindTexture(GL_TEXTURE_2D, 0);
    context->bind_texture_slot(77);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), context->texture_of_slot(77));

    // Both filters of the bound texture become linear, whatever they were.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    context->set_linear_filtering();
    GLint mag = 0, min = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(min, GL_LINEAR);

    context->report_progress(0.1);  // no hook: nothing happens
    static double received = 0;
    context->progress_callback = [](double step) { received += step; };
    context->report_progress(0.1);
    context->report_progress(0.1);
    EXPECT_DOUBLE_EQ(received, 0.2);
}
