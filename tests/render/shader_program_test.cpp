// The shader program table on real GL: reading sources (missing, empty, raw
// bytes, directories), the printed logs, which build leaves its program
// current, slot rebuilds, uniforms by name, samplers and the projective matrix.
#include "render_gl_fixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

GLint current_program() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

GLint compile_status(GLuint shader) {
    GLint ok = -1;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok;
}

GLint link_status(GLuint program) {
    GLint ok = -1;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    return ok;
}

// Multiplies the 4x4 column-major matrix m by (x, y, z, 1) and divides by w.
std::array<double, 3> project(const double m[16], double x, double y, double z) {
    double out[4];
    for (int r = 0; r < 4; ++r) out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

}  // namespace

TEST_F(RenderGlTest, ReadingSourcesKeepsRawBytesAndRefusesWhatIsNoFile) {
    const auto dir = std::filesystem::temp_directory_path() / ("velmoria_shader_read_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string raw = std::string("line one\r\nline two\r\n\0tail", 25);
    std::ofstream(dir / "raw.glsl", std::ios::binary) << raw;

    auto text = ShaderProgramTable::read_shader_source((dir / "raw.glsl").string());
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, raw);  // no line-ending translation, embedded NUL kept

    auto empty = ShaderProgramTable::read_shader_source(fixture("f_empty") + ".glsl");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->size(), 0u);
    EXPECT_EQ(empty->c_str()[0], '\0');

    CaptureStdout();
    auto missing = ShaderProgramTable::read_shader_source((dir / "absent.glsl").string());
    auto directory = ShaderProgramTable::read_shader_source(dir.string());
    EXPECT_EQ(GetCapturedStdout(), "Cannot open shader source file.\nCannot open shader source file.\n");
    EXPECT_FALSE(missing.has_value());
    EXPECT_FALSE(directory.has_value());
    std::filesystem::remove_all(dir);
}

TEST_F(RenderGlTest, MissingShaderFilePrintsTheMessageAndLoadingGoesOn) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_does_not_exist"), 3);
    // Its program cannot link, so making it current is refused; nothing else fails.
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(current_program(), 0);
    table->create_fragment_program(fixture("f_add_quarter"), 4);
    const std::string out = GetCapturedStdout();

    EXPECT_EQ(out.rfind("Cannot open shader source file.\n", 0), 0u) << out;
    EXPECT_NE(table->fragment_shaders[3], 0u);  // created without source
    EXPECT_EQ(compile_status(table->fragment_shaders[3]), GL_FALSE);
    EXPECT_EQ(compile_status(table->fragment_shaders[4]), GL_TRUE);
    EXPECT_EQ(link_status(table->programs[4]), GL_TRUE);
    // One log line per compile, even an empty log.
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n") << out;
}

TEST_F(RenderGlTest, InfoLogIsCutToTheThousandCharacterBuffer) {
    CaptureStdout();
    table->compile_fragment_shader(fixture("f_long_error_log"), 9);
    const std::string out = GetCapturedStdout();
    GLint full_length = 0;
    glGetShaderiv(table->fragment_shaders[9], GL_INFO_LOG_LENGTH, &full_length);
    ASSERT_GT(full_length, 1000) << "the fixture no longer produces a long log";
    EXPECT_EQ(out.size(), 1000u);  // 999 characters and the newline
    EXPECT_EQ(out.back(), '\n');
}

TEST_F(RenderGlTest, FragmentProgramIsCurrentAfterBuildingAndFullProgramIsNot) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_add_quarter"), 10);
    EXPECT_EQ(current_program(), static_cast<GLint>(table->programs[10]));
    ShaderProgramTable::use_fixed_function();
    EXPECT_EQ(current_program(), 0);

    table->create_program(fixture("v_passthrough"), fixture("f_add_quarter"), 10127);
    GetCapturedStdout();
    EXPECT_EQ(current_program(), 0);
    EXPECT_EQ(link_status(table->programs[10127]), GL_TRUE);
    GLint attached = 0;
    glGetProgramiv(table->programs[10127], GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    table->use_program(10127);
    EXPECT_EQ(current_program(), static_cast<GLint>(table->programs[10127]));
}

TEST_F(RenderGlTest, RebuildingASlotNamesTheNewProgramAndKeepsTheOldAlive) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_add_quarter"), 7);
    const GLuint old_program = table->programs[7];
    const GLuint old_shader = table->fragment_shaders[7];
    table->create_fragment_program(fixture("f_three_inputs"), 7);
    GetCapturedStdout();

    EXPECT_NE(table->programs[7], old_program);
    EXPECT_NE(table->fragment_shaders[7], old_shader);
    EXPECT_TRUE(glIsProgram(old_program));
    EXPECT_TRUE(glIsShader(old_shader));
    EXPECT_EQ(current_program(), static_cast<GLint>(table->programs[7]));
    EXPECT_NE(glGetUniformLocation(table->programs[7], "texture2d_3"), -1);
}

TEST_F(RenderGlTest, UniformSettersWriteByNameAndIgnoreUnknownNames) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_every_uniform_type"), 2);
    GetCapturedStdout();
    table->set_uniform_1f(2, "u_float", 1.5f);
    table->set_uniform_3f(2, "u_vec3", 1, 2, 3);
    table->set_uniform_4f(2, "u_vec4", 4, 5, 6, 7);
    table->set_uniform_1i(2, "u_int", -3);
    table->set_uniform_3i(2, "u_ivec3", 8, 9, 10);
    table->set_uniform_4i(2, "u_ivec4", 11, 12, 13, 14);
    table->set_uniform_1f(2, "not_in_the_program", 99.0f);

    const GLuint p = table->programs[2];
    auto floats = [p](const char* name) {
        std::array<GLfloat, 4> v{};
        glGetUniformfv(p, glGetUniformLocation(p, name), v.data());
        return v;
    };
    auto ints = [p](const char* name) {
        std::array<GLint, 4> v{};
        glGetUniformiv(p, glGetUniformLocation(p, name), v.data());
        return v;
    };
    EXPECT_FLOAT_EQ(floats("u_float")[0], 1.5f);
    EXPECT_EQ(floats("u_vec3"), (std::array<GLfloat, 4>{1, 2, 3, 0}));
    EXPECT_EQ(floats("u_vec4"), (std::array<GLfloat, 4>{4, 5, 6, 7}));
    EXPECT_EQ(ints("u_int")[0], -3);
    EXPECT_EQ(ints("u_ivec3"), (std::array<GLint, 4>{8, 9, 10, 0}));
    EXPECT_EQ(ints("u_ivec4"), (std::array<GLint, 4>{11, 12, 13, 14}));
}

TEST_F(RenderGlTest, BindSamplerOnUnitThreeLeavesUnitThreeActive) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_three_inputs"), 5);
    GetCapturedStdout();
    fill_slot(1, 2, 2, 10, 20, 30, 40);
    table->bind_sampler(GL_TEXTURE_2D, 5, 3, "texture2d_2", context->texture_of_slot(1));

    GLint active = 0, bound = 0, unit = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), context->texture_of_slot(1));
    glGetUniformiv(table->programs[5], glGetUniformLocation(table->programs[5], "texture2d_2"), &unit);
    EXPECT_EQ(unit, 3);
    // A later bind with no unit change lands on unit 3.
    context->bind_texture_slot(0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(RenderGlTest, ProjectiveMatrixWithTheAllZeroCameraIsBiasScaleAndPerspective) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(1, 2, 3);
    double modelview_before[16], modelview_after[16], actual[16], expected[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_before);

    table->load_projective_texture_matrix(0, "ProjectionMatrix", context->projector_camera, 60.0,
                                          16.0 / 9.0, 1.0, 100.0);
    GLint active = 0, mode = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(mode, GL_TEXTURE);
    glActiveTexture(GL_TEXTURE2);
    glGetDoublev(GL_TEXTURE_MATRIX, actual);
    glActiveTexture(GL_TEXTURE0);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_after);

    // 0.5 * perspective + 0.5 * w in the first three rows.
    const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
    const double a = 16.0 / 9.0, n = 1.0, fa = 100.0;
    const double p[16] = {f / a, 0, 0, 0, 0, f, 0, 0, 0, 0, (fa + n) / (n - fa), -1,
                          0, 0, 2 * fa * n / (n - fa), 0};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            expected[c * 4 + r] = r < 3 ? 0.5 * p[c * 4 + r] + 0.5 * p[c * 4 + 3] : p[c * 4 + 3];
        }
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(actual[i]));
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << "element " << i;
        EXPECT_EQ(modelview_after[i], modelview_before[i]);
    }
}

TEST_F(RenderGlTest, ProjectiveMatrixMapsTheCameraCentreToTheMiddleOfItsScreen) {
    const view_pose camera{vector3::of(4, -2, 10), vector3::of(1, 2, 3), vector3::of(0, 1, 0)};
    table->load_projective_texture_matrix(0, "ProjectionMatrix", camera, 45.0, 1.0, 1.0, 50.0);
    double m[16];
    glActiveTexture(GL_TEXTURE2);
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_MODELVIEW);

    const auto centre = project(m, 1, 2, 3);
    EXPECT_NEAR(centre[0], 0.5, 1e-6);
    EXPECT_NEAR(centre[1], 0.5, 1e-6);
    EXPECT_GT(centre[2], 0.0);
    EXPECT_LT(centre[2], 1.0);
    // Moving along the camera's right vector (view direction x up) moves right on screen.
    const double fx = camera.centre.x - camera.eye.x, fz = camera.centre.z - camera.eye.z;
    const auto off = project(m, 1 - fz * 0.1, 2, 3 + fx * 0.1);
    EXPECT_GT(off[0], 0.5);
    EXPECT_NEAR(off[1], 0.5, 1e-6);
}
