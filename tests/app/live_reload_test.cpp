// Live reload on a real GL context, in a copy of the data folders: with the switch
// off nothing is reloaded; a changed shader is in use within two frames; a broken
// one keeps the last good program, says why on standard output and in
// reload_error, and frames still draw without GL errors; a changed image replaces
// and releases its texture while a broken one keeps it (and the show runs on);
// a changed mesh is loaded in place.
#include "app/app_record.h"
#include "app/live_reload.h"
#include "parts/part_start.h"
#include "render/gl_check.h"
#include "tests/support/file_text.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class LiveReload : public ::testing::Test {
protected:
    void SetUp() override {
        source_data = fs::current_path();  // the tests run in data/
        folder = fs::temp_directory_path() / ("velmoria_reload_" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* name : {"Materials", "PostProcessing", "textures", "neomeshes", "misc"})
            fs::copy(source_data / name, folder / name, fs::copy_options::recursive);
        fs::current_path(folder);

        app = AppRecord();
        app.render_width = app.window_width = 64;
        app.render_height = app.window_height = 36;
        gl = std::make_unique<gl_test::GlTestContext>(64, 36);
        gl_check::set_enabled(true);
        gl_check::reset_logged_count();
        context = &app.render_context;
        context->sizes.render_width = 64;  // as the driver hands them
        context->sizes.render_height = context->sizes.window_height = 36;
        context->create_render_target(0, 64, 36, 4);
        context->create_render_target(1, 16, 9, 0);
        context->pointer = &app.pointer_state;
        CaptureStdout();
        part = std::make_unique<part_start>();
        part->init(context);
        GetCapturedStdout();
        app.part_slots[0] = part.get();
    }

    void TearDown() override {
        gl_check::check("end of test");
        EXPECT_EQ(gl_check::logged_count(), 0) << "GL errors were logged";
        stop_live_reload();
        app.part_slots[0] = nullptr;
        app.live_reload = false;
        part.reset();
        gl.reset();
        fs::current_path(source_data);
        fs::remove_all(folder);
    }

    // What the message loop does for one frame: the reload, then the drawing.
    void frame() {
        reload_changed_files();
        part->scene_time = 30.0;
        FrameTiming timing;
        part->draw(&timing, context, &app.pointer_state);
    }

    // Frames drawn until `done` holds, at most `limit`; limit + 1 when it never did.
    int frames_until(const std::function<bool()>& done, int limit = 2) {
        for (int n = 1; n <= limit; ++n) {
            frame();
            if (done()) return n;
        }
        return limit + 1;
    }

    GLuint blob_texture() const { return context->texture_of_slot(part->slot_base + part_start::blob_offset); }

    fs::path source_data;
    fs::path folder;
    std::unique_ptr<gl_test::GlTestContext> gl;
    RenderContext* context = nullptr;
    std::unique_ptr<part_start> part;
};

TEST_F(LiveReload, ChangedShaderIsUsedWithinTwoFramesAndABrokenOneKeepsTheLastGood) {
    const fs::path blur = "PostProcessing/f_blurpass.glsl";
    const std::string original = read_text(blur);
    CaptureStdout();
    frame();
    const GLuint first = part->shaders.programs[4];
    write_text(blur, original + "\n// edited while the switch is off\n");
    frame();
    frame();
    EXPECT_EQ(part->shaders.programs[4], first) << "no reload without the switch";

    app.live_reload = true;
    frame();  // starts watching
    const GLuint material = part->shaders.programs[1];
    write_text(blur, original + "\n// edited\n");
    EXPECT_LE(frames_until([&] { return part->shaders.programs[4] != first; }), 2);
    const GLuint edited = part->shaders.programs[4];
    EXPECT_NE(part->shaders.programs[1], material) << "every program is rebuilt";
    EXPECT_TRUE(app.reload_error.empty()) << app.reload_error;

    write_text(blur, "void main() { gl_FragColor = broken; }\n");
    EXPECT_LE(frames_until([&] { return !app.reload_error.empty(); }), 2);
    frame();
    const std::string out = GetCapturedStdout();
    EXPECT_EQ(part->shaders.programs[4], edited) << "the last good program stays";
    const std::string names = "PostProcessing/f_blurpass.glsl (" + (folder / blur).string() + ")";
    EXPECT_NE(app.reload_error.find("Shader program 4 not built: " + names + " does not compile:"), std::string::npos)
        << app.reload_error;
    EXPECT_NE(out.find("Shader program 4 not built: " + names), std::string::npos) << out;

    CaptureStdout();
    write_text(blur, original);
    EXPECT_LE(frames_until([&] { return app.reload_error.empty(); }), 2) << app.reload_error;
    GetCapturedStdout();
    EXPECT_NE(part->shaders.programs[4], edited);
}

TEST_F(LiveReload, ImagesAndMeshesAreReloadedInPlace) {
    app.live_reload = true;
    CaptureStdout();
    frame();
    const fs::path blob = "textures/blob41b.jpg";
    const std::string jpeg = read_text(blob);
    const GLuint old_blob = blob_texture();

    write_text(blob, jpeg.substr(0, 200));  // cut short: the decoder refuses it
    EXPECT_LE(frames_until([&] { return !app.reload_error.empty(); }), 2);
    EXPECT_EQ(blob_texture(), old_blob);
    EXPECT_TRUE(glIsTexture(old_blob));
    EXPECT_EQ(app.reload_error.rfind("textures/blob41b.jpg (" + (folder / blob).string() + ") cannot be loaded", 0),
              0u)
        << app.reload_error;

    write_text(blob, jpeg);
    EXPECT_LE(frames_until([&] { return app.reload_error.empty(); }), 2) << app.reload_error;
    ASSERT_NE(blob_texture(), old_blob);
    EXPECT_FALSE(glIsTexture(old_blob)) << "the replaced texture is released";
    glBindTexture(GL_TEXTURE_2D, blob_texture());
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE) << "the reloaded sprite is clamped as at start";

    const objmesh* wings = &part->wings_mesh;
    write_text("neomeshes/wings.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_LE(frames_until([&] { return part->wings_mesh.triangle_count == 1; }), 2);
    EXPECT_EQ(&part->wings_mesh, wings);

    const int32_t credits = part->credits_mesh.triangle_count;
    fs::remove("neomeshes/credits.obj");
    EXPECT_LE(frames_until([&] { return !app.reload_error.empty(); }), 2);
    GetCapturedStdout();
    EXPECT_EQ(part->credits_mesh.triangle_count, credits) << "a missing mesh keeps the old one";
    EXPECT_NE(app.reload_error.find("neomeshes/credits.obj"), std::string::npos) << app.reload_error;
}

}  // namespace
