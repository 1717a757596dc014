// The main part on a real GL context (llvmpipe under Xvfb), run from data/: what
// init leaves bound and how big it makes the images, every pass of a frame free of
// GL errors at the show's landmarks, the replay rewind as the programs receive it,
// the pointer record handed back, the programs rebuilt while space is held, and
// the one line for each mesh or note file that gives less than it should.
#include "parts/choreography.h"
#include "parts/frame_probe.h"
#include "parts/gl_scene_sink.h"
#include "parts/part_start.h"
#include "parts/start_rules.h"
#include "render/gl_check.h"
#include "render/render_context.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

class PartStartGl : public ::testing::Test {
protected:
    // A window of width x window_height (the picture's height unless given).
    void open(int width, int height, int window_height = 0) {
        record = std::make_unique<RenderContext>();
        pointer = PointerState{};
        record->sizes.render_width = width;
        record->sizes.render_height = height;
        record->sizes.window_height = window_height > 0 ? window_height : height;
        gl = std::make_unique<gl_test::GlTestContext>(width, record->sizes.window_height);
        gl_check::set_enabled(true);
        gl_check::reset_logged_count();
        // The window's initial state, as the shell sets it before the show loads.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(1.0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        context = record.get();
        context->create_render_target(0, width, height, 4);
        context->create_render_target(1, width / 4, height / 4, 0);
        context->pointer = &pointer;
        part = std::make_unique<part_start>();
        part->init(context);
    }

    void TearDown() override {
        gl_check::check("end of test");
        EXPECT_EQ(gl_check::logged_count(), 0) << "GL errors were logged";
        part.reset();
        gl.reset();
    }

    // One frame with the part clock at exactly t (a zero step keeps it there).
    void frame_at(double t) {
        part->scene_time = t;
        FrameTiming timing;
        timing.step = 0.0;
        part->draw(&timing, context, &pointer);
    }

    static float uniform_of(GLuint program, const char* name) {
        float value = -1000.0f;
        const GLint where = glGetUniformLocation(program, name);
        EXPECT_GE(where, 0) << name;
        if (where >= 0) glGetUniformfv(program, where, &value);
        return value;
    }

    std::unique_ptr<gl_test::GlTestContext> gl;
    std::unique_ptr<RenderContext> record;  // large: its slot table stays off the stack
    PointerState pointer;
    RenderContext* context = nullptr;
    std::unique_ptr<part_start> part;
};

TEST_F(PartStartGl, InitLeavesTheClampedBlobBoundAndTheClockAtMinusTwo) {
    open(64, 36);
    EXPECT_EQ(part->scene_time, -2.0);
    EXPECT_EQ(part->show_time, 0.0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const GLuint blob = context->texture_of_slot(part->slot_base + part_start::blob_offset);
    ASSERT_NE(blob, 0u);
    EXPECT_EQ(static_cast<GLuint>(bound), blob);
    GLint wrap_s = 0, wrap_t = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap_s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap_t);
    EXPECT_EQ(wrap_s, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(wrap_t, GL_CLAMP_TO_EDGE);

    context->bind_texture_slot(part->slot_base + part_start::normal_map_offset);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap_s);
    EXPECT_EQ(wrap_s, GL_REPEAT) << "the normal map keeps repeating";

    EXPECT_TRUE(glIsTexture(context->texture_of_slot(part_start::black_2d_offset)));
    EXPECT_TRUE(glIsTexture(context->texture_of_slot(part_start::black_cube_offset)));
    EXPECT_TRUE(part->wings_mesh.loaded);
    EXPECT_TRUE(part->credits_mesh.loaded);
    for (int slot : {1, 3, 4, 5, 6, 7, 13}) {
        GLint linked = 0;
        glGetProgramiv(part->shaders.programs[slot], GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << "program " << slot;
    }
}

TEST_F(PartStartGl, MeshesAndNotesThatGiveLessAreNamedOnceAndTheShowGoesOn) {
    // A data folder of the show's own files, but with the figure mesh a lone
    // object line, the wings mesh cut inside a face and no note file.
    namespace fs = std::filesystem;
    const fs::path data = fs::current_path();
    const fs::path copy = fs::path(VELMORIA_BINARY_DIR) / "part_start_damaged_data";
    fs::remove_all(copy);
    fs::create_directories(copy / "neomeshes");
    fs::create_directories(copy / "misc");
    for (const char* folder : {"Materials", "PostProcessing", "textures"})
        fs::create_directory_symlink(data / folder, copy / folder);
    for (const char* mesh : {"quorrels.obj", "transf3.obj", "credits.obj"})
        fs::create_symlink(data / "neomeshes" / mesh, copy / "neomeshes" / mesh);
    std::ofstream(copy / "neomeshes/quorrel.obj") << "o a\n";
    std::ofstream(copy / "neomeshes/wings.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\no w\nf 1 2 3\nf 1 2";
    fs::current_path(copy);
    testing::internal::CaptureStderr();
    open(64, 36);
    const std::string said = testing::internal::GetCapturedStderr();
    fs::current_path(data);
    const std::string at = copy.string();
    EXPECT_EQ(said,
              "velmoria: neomeshes/quorrel.obj: holds no faces to draw (" + at +
                  "/neomeshes/quorrel.obj); the show goes on without this mesh\n"
                  "velmoria: neomeshes/wings.obj: holds faces that name missing elements or are malformed; they "
                  "are left out (" + at + "/neomeshes/wings.obj)\n"
                  "velmoria: misc/piano2.txt: No such file or directory (" + at +
                  "/misc/piano2.txt); the show goes on without its piano notes\n");
    EXPECT_EQ(part->wings_mesh.triangle_count, 1);
    EXPECT_EQ(part->notes.count, 0);
    frame_at(30.0);
    frame_at(285.0);  // the credits
    fs::remove_all(copy);
}

TEST_F(PartStartGl, QuarterSizeHighlightImageRoundsDown) {
    open(1366, 768);
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, context->texture_of_slot(part->highlight_slot));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 341);
    EXPECT_EQ(h, 192);
    glBindTexture(GL_TEXTURE_2D, context->texture_of_slot(part->scene_color_slot));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 1366);
}

// The landmarks: the start, the opening blend, the live spectrum, the figure
// column, the replay, the late elements and the credits.
TEST_F(PartStartGl, EveryPassRunsWithoutGlErrorAcrossTheShow) {
    open(96, 54);
    pointer.spectrum[1] = 0.6f;
    for (double t : {-2.0, 1.0, 11.0, 30.0, 121.0, 186.5, 200.0, 231.0, 262.0, 275.0}) {
        frame_at(t);
        EXPECT_EQ(gl_check::check("after frame"), 0) << "t = " << t;
        EXPECT_EQ(part->scene_time, t) << "the rewind never outlives the frame";
    }
    // The picture in the window is not empty.
    frame_at(30.0);
    const std::vector<uint8_t> pixels = gl->read_pixels(0, 0, 96, 54);
    long sum = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
    EXPECT_GT(sum, 96L * 54L * 3L * 4L) << "mean channel value above 4";
}

// Mean of the three channels over whole rows [first, last) of the window.
double mean_of_rows(const gl_test::GlTestContext& gl, int first, int last) {
    const std::vector<uint8_t> pixels = gl.read_pixels(0, first, gl.width(), last - first);
    double sum = 0.0;
    for (size_t i = 0; i < pixels.size(); i += 4) sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
    return sum / (pixels.size() / 4 * 3);
}

TEST_F(PartStartGl, ForcedWidePictureFullScreenIsCentredBetweenBlackBands) {
    open(64, 36, 48);
    context->sizes.fullscreen = true;
    context->sizes.force_16_9 = true;
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);  // whatever was in the window before
    glClear(GL_COLOR_BUFFER_BIT);
    frame_at(60.0);
    EXPECT_EQ(mean_of_rows(*gl, 0, 6), 0.0) << "band below";
    EXPECT_EQ(mean_of_rows(*gl, 42, 48), 0.0) << "band above";
    EXPECT_GT(mean_of_rows(*gl, 6, 42), 4.0) << "the picture between them";
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f) << "the frame leaves the clear colour as it found it";
}

TEST_F(PartStartGl, ReplayedStretchShiftsOnlyTheChoreographyClock) {
    open(64, 36);
    frame_at(186.5);
    EXPECT_FLOAT_EQ(uniform_of(part->shaders.programs[1], "ttime"), 104.5f);
    EXPECT_FLOAT_EQ(uniform_of(part->shaders.programs[1], "fttime"), 186.5f);
    EXPECT_FLOAT_EQ(uniform_of(part->shaders.programs[4], "fttime"), 186.5f);
    EXPECT_EQ(pointer.scratch[0], 186.5);
    const chosen_camera camera = choose_camera(186.5, pointer.pointer_x, pointer.pointer_y);
    EXPECT_EQ(context->frame_camera.eye, camera.frame_camera.eye) << "the camera follows the unshifted clock";
    EXPECT_EQ(context->frame_camera.centre, camera.frame_camera.centre);
}

// What the occlusion pass leaves bound on units 0 to 3 when it hands over to the
// highlight pass.
class occlusion_inputs : public frame_probe {
public:
    std::array<GLint, 4> bound{};
    void begin(frame_stage stage) override {
        if (stage != frame_stage::highlights) return;
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        for (int unit = 0; unit < 4; ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound[static_cast<size_t>(unit)]);
        }
        glActiveTexture(static_cast<GLenum>(active));
    }
    void end(frame_stage) override {}
};

GLint sampler_unit(GLuint program, const char* name) {
    GLint unit = -1;
    const GLint where = glGetUniformLocation(program, name);
    EXPECT_GE(where, 0) << name;
    if (where >= 0) glGetUniformiv(program, where, &unit);
    return unit;
}

GLuint attached(GLuint framebuffer, GLenum attachment) {
    GLint name = 0;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return static_cast<GLuint>(name);
}

// The C library generator, written out: seeded, 1000 values discarded, the next one.
int first_draw_after_1000(uint32_t seed) {
    uint32_t x = seed;
    int value = 0;
    for (int i = 0; i <= 1000; ++i) {
        x = x * 214013u + 2531011u;
        value = static_cast<int>((x >> 16) & 0x7fff);
    }
    return value;
}

// Init's images come in their order (names grow as they are made) and sit on the
// render targets as the attachment table says; a frame in the replayed stretch
// hands the two post-processing programs the values and units they are built for.
TEST_F(PartStartGl, PostProcessingReceivesItsImagesUniformsAndSamplers) {
    open(64, 36);
    const auto name = [this](int slot) { return context->texture_of_slot(slot); };
    const GLuint made[] = {name(part->noise_slot),         name(part->scene_color_slot), name(part->highlight_slot),
                           name(part->scene_aux_slot),     name(part->velocity_slot),    name(part->scene_depth_slot),
                           name(part->second_depth_slot),  name(part_start::normal_map_offset),
                           name(part_start::blob_offset)};
    for (size_t i = 1; i < std::size(made); ++i) EXPECT_GT(made[i], made[i - 1]) << "image " << i << " of init";

    const auto expect_attachments = [&](const char* when) {
        EXPECT_EQ(attached(context->resolve_fbo[0], GL_COLOR_ATTACHMENT0_EXT), name(part->scene_color_slot)) << when;
        EXPECT_EQ(attached(context->resolve_fbo[0], GL_COLOR_ATTACHMENT1_EXT), name(part->scene_aux_slot)) << when;
        EXPECT_EQ(attached(context->resolve_fbo[0], GL_DEPTH_ATTACHMENT_EXT), name(part->scene_depth_slot)) << when;
        EXPECT_EQ(attached(context->resolve_fbo[1], GL_COLOR_ATTACHMENT0_EXT), name(part->highlight_slot)) << when;
    };
    expect_attachments("after init");

    occlusion_inputs inputs;
    part->probe = &inputs;
    pointer.spectrum[1] = 0.6f;
    frame_at(200.1);  // the choreography sees 118.1, half a pulse cycle away
    part->probe = nullptr;
    expect_attachments("after a frame");

    const GLuint ssao = part->shaders.programs[3];
    const int limit = first_draw_after_1000(static_cast<uint32_t>(std::trunc((200.1 - 82.0) * 423424.0)));
    EXPECT_FLOAT_EQ(uniform_of(ssao, "Limit"), static_cast<float>(limit / 32767.0)) << "seeded by the replayed clock";
    EXPECT_FLOAT_EQ(uniform_of(ssao, "fttime"), 200.1f);
    EXPECT_EQ(sampler_unit(ssao, "texture2d_1"), 0);
    EXPECT_EQ(sampler_unit(ssao, "texture2d_2"), 1);
    EXPECT_EQ(sampler_unit(ssao, "texture2d_3"), 2);
    EXPECT_EQ(sampler_unit(ssao, "texture2d_random"), 3);
    EXPECT_EQ(inputs.bound, (std::array<GLint, 4>{GLint(name(part->scene_color_slot)),
                                                  GLint(name(part->scene_depth_slot)),
                                                  GLint(name(part->scene_aux_slot)), GLint(name(part->noise_slot))}));

    const GLuint blur = part->shaders.programs[4];
    EXPECT_FLOAT_EQ(uniform_of(blur, "DSP"), 0.6f * 0.3f * 2.0f);
    EXPECT_NEAR(uniform_of(blur, "DSP2"), 1.4782176f, 1e-4) << "the pulse at 118.1; at 200.1 it would be 0";
    EXPECT_EQ(sampler_unit(blur, "texture2d_1"), 0);
    EXPECT_EQ(sampler_unit(blur, "texture2d_velocities"), 1);
    EXPECT_EQ(sampler_unit(blur, "texture2d_random"), 2);
    EXPECT_EQ(sampler_unit(blur, "texture2d_2"), 3);
    EXPECT_EQ(sampler_unit(blur, "texture2d_s"), 4);

    frame_at(20.0);  // before 26.3 the pulse rests at 1 and the spectrum is off
    EXPECT_EQ(uniform_of(blur, "DSP"), 0.0f);
    EXPECT_EQ(uniform_of(blur, "DSP2"), 1.0f);
}

TEST_F(PartStartGl, FrameScalesTheStepAndHandsThePointerRecordBack) {
    open(64, 36);
    pointer.wheel = 5.0;
    pointer.pointer_x = 3.0;
    pointer.adjust_qa = 1.5;
    part->scene_time = 140.0;
    FrameTiming timing;
    timing.step = 0.5;
    part->draw(&timing, context, &pointer);
    EXPECT_DOUBLE_EQ(timing.step, 0.5 * 0.922);
    EXPECT_DOUBLE_EQ(part->scene_time, 140.0 + 0.5 * 0.922);
    EXPECT_EQ(context->pointer, &pointer);
    EXPECT_EQ(pointer.scratch[0], part->scene_time);
    EXPECT_EQ(pointer.wheel, 0.0);
    const note_values notes = look_up_notes(part->notes, part->scene_time);
    EXPECT_EQ(pointer.pointer_x, notes.p0);
    EXPECT_EQ(pointer.pointer_y, notes.p1);
    EXPECT_EQ(pointer.adjust_qa, 1.5);
    EXPECT_FLOAT_EQ(uniform_of(part->shaders.programs[4], "Limit"), 1.5f);
}

TEST_F(PartStartGl, HoldingSpaceRebuildsTheFiveProgramsEveryFrame) {
    open(64, 36);
    const auto programs = [this] {
        std::array<GLuint, 7> p{};
        const int slots[7] = {1, 3, 13, 4, 6, 5, 7};
        for (int i = 0; i < 7; ++i) p[static_cast<size_t>(i)] = part->shaders.programs[slots[i]];
        return p;
    };
    const auto before = programs();
    pointer.key_states[32] = 1;
    frame_at(20.0);
    const auto held = programs();
    for (size_t i = 0; i < 5; ++i) EXPECT_NE(held[i], before[i]) << "rebuilt program " << i;
    EXPECT_EQ(held[5], before[5]) << "the velocity program is built once";
    EXPECT_EQ(held[6], before[6]) << "the god-ray program is built once";
    frame_at(20.0);
    const auto held_again = programs();
    for (size_t i = 0; i < 5; ++i) EXPECT_NE(held_again[i], held[i]) << "every held frame rebuilds";

    pointer.key_states[32] = 0;
    frame_at(20.0);
    EXPECT_EQ(programs(), held_again) << "released: the last build stays";
}

// The choreography through the GL sink alone, without the frame around it: the
// GL state it leaves is the documented end of its frame, and the samplers and the
// projector matrix went where the table says.
TEST_F(PartStartGl, SceneSinkLeavesTheChoreographysEndOfFrameState) {
    open(64, 36);
    gl_scene_sink sink(*context, part->shaders,
                       scene_meshes{&part->quorrel_mesh, &part->transf3_mesh, &part->wings_mesh, &part->credits_mesh});
    part->scene_time = part->show_time = 191.0;
    context->frame_camera = choose_camera(191.0, 0, 0).frame_camera;
    context->projector_camera = context->frame_camera;
    context->bind_render_target(0, 2);
    draw_choreography(part->choreography_input(*context), sink);
    EXPECT_GT(sink.tube_quads(), 40000) << "groups A to E and the hanging strands";

    GLint value = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_TEXTURE);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    EXPECT_FALSE(glIsEnabled(GL_POINT_SPRITE));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 0.0f);

    GLfloat m[16] = {};
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[12], 0.0f) << "unit 0's texture matrix is the identity again";
    glActiveTexture(GL_TEXTURE2);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_NE(m[0], 1.0f) << "the projector matrix is on unit 2";
    glActiveTexture(GL_TEXTURE4);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &value);
    EXPECT_EQ(static_cast<GLuint>(value), context->texture_of_slot(part_start::black_cube_offset));
    glActiveTexture(GL_TEXTURE3);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), context->texture_of_slot(part_start::blob_offset));
    glActiveTexture(GL_TEXTURE0);
    context->bind_window_framebuffer();
}

}  // namespace
