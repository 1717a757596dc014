// Building GLSL shaders and programs into slots from source files, and setting
// their uniforms by name. Compile and link status are not checked: the info log
// printed after each compile is the only report, and loading always goes on.
#include "render/shader_programs.h"

#include "render/camera_matrix.h"

#include <GL/glu.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void print_line(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Opens only regular files: a directory opens for reading on Linux but has no
// readable size, and is as much "not a shader file" as a missing path.
std::FILE* open_source(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

GLuint compile_shader(GLenum type, const std::string& path) {
    const std::optional<std::string> source =
        ShaderProgramTable::read_shader_source(path + shader_file_extension);
    const GLuint shader = glCreateShader(type);
    if (source) {
        const GLchar* text = source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
    }
    glCompileShader(shader);
    ShaderProgramTable::print_shader_log(shader);
    return shader;
}

}  // namespace

std::optional<std::string> ShaderProgramTable::read_shader_source(const std::string& path) {
    std::FILE* file = open_source(path);
    if (!file) {
        print_line("Cannot open shader source file.");
        return std::nullopt;
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    const size_t got = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), file);
    if (size < 0 || got != text.size()) {
        // The text keeps its expected size; bytes that could not be read stay NUL.
        print_line(std::ferror(file) ? std::strerror(errno) : "Unexpected end of shader source file.");
    }
    std::fclose(file);
    return text;
}

void ShaderProgramTable::compile_vertex_shader(const std::string& path, int slot) {
    vertex_shaders[slot] = compile_shader(GL_VERTEX_SHADER, path);
}

void ShaderProgramTable::compile_fragment_shader(const std::string& path, int slot) {
    fragment_shaders[slot] = compile_shader(GL_FRAGMENT_SHADER, path);
}

void ShaderProgramTable::create_program(const std::string& vertex_path,
                                        const std::string& fragment_path, int slot) {
    compile_vertex_shader(vertex_path, slot);
    compile_fragment_shader(fragment_path, slot);
    programs[slot] = glCreateProgram();
    glAttachShader(programs[slot], fragment_shaders[slot]);
    glAttachShader(programs[slot], vertex_shaders[slot]);
    glLinkProgram(programs[slot]);
}

void ShaderProgramTable::create_fragment_program(const std::string& fragment_path, int slot) {
    compile_fragment_shader(fragment_path, slot);
    programs[slot] = glCreateProgram();
    glAttachShader(programs[slot], fragment_shaders[slot]);
    glLinkProgram(programs[slot]);
    use_program(slot);
}

void ShaderProgramTable::print_shader_log(GLuint shader) {
    char log[1000] = {};
    GLsizei length = 0;
    glGetShaderInfoLog(shader, sizeof log, &length, log);
    print_line(log);
}

void ShaderProgramTable::use_program(int slot) const { glUseProgram(programs[slot]); }

void ShaderProgramTable::use_fixed_function() { glUseProgram(0); }

GLint ShaderProgramTable::location(int slot, const std::string& name) const {
    return glGetUniformLocation(programs[slot], name.c_str());
}

void ShaderProgramTable::set_uniform_1f(int slot, const std::string& name, float v) const {
    glUniform1f(location(slot, name), v);
}

void ShaderProgramTable::set_uniform_3f(int slot, const std::string& name, float a, float b,
                                        float c) const {
    glUniform3f(location(slot, name), a, b, c);
}

void ShaderProgramTable::set_uniform_4f(int slot, const std::string& name, float a, float b, float c,
                                        float d) const {
    glUniform4f(location(slot, name), a, b, c, d);
}

void ShaderProgramTable::set_uniform_1i(int slot, const std::string& name, int v) const {
    glUniform1i(location(slot, name), v);
}

void ShaderProgramTable::set_uniform_3i(int slot, const std::string& name, int a, int b,
                                        int c) const {
    glUniform3i(location(slot, name), a, b, c);
}

void ShaderProgramTable::set_uniform_4i(int slot, const std::string& name, int a, int b, int c,
                                        int d) const {
    glUniform4i(location(slot, name), a, b, c, d);
}

void ShaderProgramTable::bind_sampler(GLenum target, int slot, int unit, const std::string& name,
                                      GLuint texture) const {
    const GLint where = location(slot, name);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, texture);
    glUniform1i(where, unit);
}

void ShaderProgramTable::load_projective_texture_matrix(int, const std::string&,
                                                        const view_pose& camera, double fov,
                                                        double aspect, double near_plane,
                                                        double far_plane) const {
    glActiveTexture(GL_TEXTURE2);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslated(0.5, 0.5, 0.5);
    glScaled(0.5, 0.5, 0.5);
    gluPerspective(fov, aspect, near_plane, far_plane);
    multiply_look_at(camera);
    glActiveTexture(GL_TEXTURE0);
}
