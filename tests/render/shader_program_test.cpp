// The shader program table on real GL: reading sources (missing, empty, raw
// bytes, directories), the printed logs, which build leaves its program
// current, failed builds keeping the last good program, slot rebuilds deleting
// what they replace, uniforms by name, samplers and the projective matrix.
#include "render_gl_fixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    std::string missing_problem, directory_problem;
    auto missing = ShaderProgramTable::read_shader_source((dir / "absent.glsl").string(), &missing_problem);
    auto directory = ShaderProgramTable::read_shader_source(dir.string(), &directory_problem);
    const std::string folder = dir.string();
    EXPECT_EQ(GetCapturedStdout(), "Cannot open shader source file. " + folder + "/absent.glsl (" + folder +
                                       "/absent.glsl): No such file or directory\n"
                                       "Cannot open shader source file. " + folder + " (" + folder +
                                       "): is a folder\n");
    EXPECT_FALSE(missing.has_value());
    EXPECT_FALSE(directory.has_value());
    EXPECT_EQ(missing_problem, "No such file or directory");
    EXPECT_EQ(directory_problem, "is a folder");
    std::filesystem::remove_all(dir);
}

TEST_F(RenderGlTest, MissingShaderFileIsNamedAndItsSlotHasNoProgram) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_does_not_exist"), 3);
    // Nothing was made current or set with a program that cannot link: no GL error.
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(current_program(), 0);
    table->set_uniform_1f(3, "Limit", 1.0f);
    table->bind_sampler(GL_TEXTURE_2D, 3, 0, "texture2d_1", 0);
    table->create_fragment_program(fixture("f_add_quarter"), 4);
    const std::string out = GetCapturedStdout();

    const std::string file = fixture("f_does_not_exist") + ".glsl";
    EXPECT_EQ(out.rfind("Cannot open shader source file. " + file, 0), 0u) << out;
    EXPECT_EQ(table->programs[3], 0u);
    EXPECT_EQ(table->fragment_shaders[3], 0u) << "the failed shader was deleted, not stored";
    ASSERT_EQ(table->build_failures().size(), 1u);
    EXPECT_EQ(table->build_failures().at(3), file + " (" + file + "): No such file or directory");
    EXPECT_NE(out.find("Shader program 3 not built: " + file), std::string::npos) << out;
    EXPECT_EQ(compile_status(table->fragment_shaders[4]), GL_TRUE);
    EXPECT_EQ(link_status(table->programs[4]), GL_TRUE);
    // One log line per compile, even an empty log.
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n") << out;
}

// Every way a build fails keeps the slot's last good program, current after a
// fragment build, and names the file with its reason; the message is printed
// once however often the same build fails, and a good build clears it.
TEST_F(RenderGlTest, FailedRebuildKeepsTheLastGoodProgramAndSaysWhyOnce) {
    const auto dir = std::filesystem::temp_directory_path() / ("velmoria_shader_fail_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "f_folder.glsl");
    std::ofstream(dir / "f_empty.glsl");
    std::ofstream(dir / "f_nul.glsl", std::ios::binary) << std::string("void main() {}\0garbage", 22);
    CaptureStdout();
    table->create_fragment_program(fixture("f_add_quarter"), 7);
    const GLuint good = table->programs[7];
    const GLuint good_shader = table->fragment_shaders[7];
    const std::pair<std::string, std::string> failures[] = {
        {(dir / "f_folder").string(), "is a folder"},
        {(dir / "f_empty").string(), "is empty"},
        {(dir / "f_nul").string(), "holds a NUL byte: it is not shader text"},
        {fixture("f_long_error_log"), "does not compile:\n0:"},
        {fixture("f_no_main"), "does not link:\n"},
    };
    for (const auto& [path, reason] : failures) {
        table->create_fragment_program(path, 7);
        table->create_fragment_program(path, 7);
        EXPECT_EQ(table->programs[7], good) << path;
        EXPECT_EQ(table->fragment_shaders[7], good_shader) << path;
        EXPECT_EQ(current_program(), static_cast<GLint>(good)) << path;
        ASSERT_EQ(table->build_failures().count(7), 1u) << path;
        const std::string& message = table->build_failures().at(7);
        EXPECT_EQ(message.rfind(path + ".glsl (", 0), 0u) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    const std::string out = GetCapturedStdout();
    size_t said = 0;
    for (size_t at = out.find("Shader program 7 not built"); at != std::string::npos;
         at = out.find("Shader program 7 not built", at + 1))
        ++said;
    EXPECT_EQ(said, std::size(failures)) << out;
    EXPECT_EQ(link_status(good), GL_TRUE);

    CaptureStdout();
    table->create_program(fixture("v_passthrough"), fixture("f_no_main"), 8);
    table->create_fragment_program(fixture("f_three_inputs"), 7);
    GetCapturedStdout();
    EXPECT_NE(table->programs[7], good);
    EXPECT_EQ(table->build_failures().count(7), 0u) << "a good build clears the failure";
    ASSERT_EQ(table->build_failures().count(8), 1u);
    EXPECT_NE(table->build_failures().at(8).find("v_passthrough.glsl ("), std::string::npos);
    EXPECT_NE(table->build_failures().at(8).find("f_no_main.glsl (" + fixture("f_no_main") + ".glsl) do not link"),
              std::string::npos)
        << table->build_failures().at(8);
    EXPECT_EQ(table->programs[8], 0u);
    std::filesystem::remove_all(dir);
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

// A slot rebuilt hundreds of times must not pile up objects: the program and
// shader it replaces are deleted (the program once it is no longer current).
TEST_F(RenderGlTest, RebuildingASlotNamesTheNewProgramAndDeletesTheOld) {
    CaptureStdout();
    table->create_fragment_program(fixture("f_add_quarter"), 7);
    const GLuint old_program = table->programs[7];
    const GLuint old_shader = table->fragment_shaders[7];
    table->create_program(fixture("v_passthrough"), fixture("f_add_quarter"), 9);
    const GLuint old_vertex = table->vertex_shaders[9];
    table->create_fragment_program(fixture("f_three_inputs"), 7);
    table->create_program(fixture("v_passthrough"), fixture("f_add_quarter"), 9);
    GetCapturedStdout();

    EXPECT_NE(table->programs[7], old_program);
    EXPECT_NE(table->fragment_shaders[7], old_shader);
    EXPECT_FALSE(glIsProgram(old_program));
    EXPECT_FALSE(glIsShader(old_shader));
    EXPECT_FALSE(glIsShader(old_vertex));
    EXPECT_TRUE(glIsShader(table->vertex_shaders[9]));
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
