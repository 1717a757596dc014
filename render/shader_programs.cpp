// Building GLSL shaders and programs into slots from source files, and setting
// their uniforms by name. The info log is printed after each compile; a build
// that fails (unreadable, empty or binary source, compile or link error) is
// reported once with the file's names and never replaces a working program.
#include "render/shader_programs.h"

#include "render/camera_matrix.h"

#include <GL/glu.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr size_t log_buffer_size = 1000;

void print_line(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A source file as its reader knows it: the path inside the data folder, then
// the full path.
std::string file_names(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path file(path);
    return file.lexically_normal().generic_string() + " (" + fs::absolute(file, ignored).lexically_normal().string() +
           ")";
}

// Opens only regular files: a directory opens for reading on Linux but has no
// readable size, and is as much "not a shader file" as a missing path.
std::FILE* open_source(const std::string& path, std::string& problem) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        problem = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = S_ISDIR(info.st_mode) ? "is a folder" : "is not a regular file";
        std::fclose(file);
        return nullptr;
    }
    return file;
}

std::string info_log(GLuint shader) {
    char log[log_buffer_size] = {};
    GLsizei length = 0;
    glGetShaderInfoLog(shader, sizeof log, &length, log);
    return log;
}

std::string program_log(GLuint program) {
    char log[log_buffer_size] = {};
    GLsizei length = 0;
    glGetProgramInfoLog(program, sizeof log, &length, log);
    return log;
}

// A shader compiled from a file, and what is wrong with it (empty when nothing).
struct compiled_shader {
    GLuint name = 0;
    std::string problem;
};

// Creates and compiles the shader whatever the source holds (a missing file
// gives a shader without source), prints its log, and judges the result.
compiled_shader compile_shader(GLenum type, const std::string& path) {
    const std::string file = path + shader_file_extension;
    std::string problem;
    const std::optional<std::string> source = ShaderProgramTable::read_shader_source(file, &problem);
    compiled_shader shader;
    shader.name = glCreateShader(type);
    if (source) {
        const GLchar* text = source->c_str();
        glShaderSource(shader.name, 1, &text, nullptr);
    }
    glCompileShader(shader.name);
    const std::string log = info_log(shader.name);
    print_line(log);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.name, GL_COMPILE_STATUS, &compiled);
    if (!source)
        shader.problem = file_names(file) + ": " + problem;
    else if (source->empty())
        shader.problem = file_names(file) + " is empty";
    else if (source->find('\0') != std::string::npos)  // the driver would compile only the text before it
        shader.problem = file_names(file) + " holds a NUL byte: it is not shader text";
    else if (compiled != GL_TRUE)
        shader.problem = file_names(file) + " does not compile:\n" + log;
    return shader;
}

// Links the fragment shader and the vertex shader when there is one; the problem
// of the first shader that has one, else `link_failure` with the link log, else
// empty.
std::string link_program(GLuint program, const compiled_shader& fragment, const compiled_shader* vertex,
                         const std::string& link_failure) {
    glAttachShader(program, fragment.name);
    if (vertex) glAttachShader(program, vertex->name);
    glLinkProgram(program);
    if (vertex && !vertex->problem.empty()) return vertex->problem;
    if (!fragment.problem.empty()) return fragment.problem;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) return {};
    return link_failure + ":\n" + program_log(program);
}

void delete_shader(GLuint shader) {
    if (shader != 0) glDeleteShader(shader);
}

}  // namespace

std::optional<std::string> ShaderProgramTable::read_shader_source(const std::string& path, std::string* problem) {
    std::string why;
    std::FILE* file = open_source(path, why);
    if (!file) {
        print_line("Cannot open shader source file. " + file_names(path) + ": " + why);
        if (problem) *problem = why;
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
    const GLuint old = vertex_shaders[slot];
    vertex_shaders[slot] = compile_shader(GL_VERTEX_SHADER, path).name;
    delete_shader(old);
}

void ShaderProgramTable::compile_fragment_shader(const std::string& path, int slot) {
    const GLuint old = fragment_shaders[slot];
    fragment_shaders[slot] = compile_shader(GL_FRAGMENT_SHADER, path).name;
    delete_shader(old);
}

void ShaderProgramTable::install(int slot, GLuint vertex, GLuint fragment, GLuint program) {
    if (programs[slot] != 0) glDeleteProgram(programs[slot]);  // deferred while it is current
    programs[slot] = program;
    delete_shader(fragment_shaders[slot]);
    fragment_shaders[slot] = fragment;
    if (vertex != 0) {
        delete_shader(vertex_shaders[slot]);
        vertex_shaders[slot] = vertex;
    }
    failures_.erase(slot);
}

void ShaderProgramTable::refuse(int slot, GLuint vertex, GLuint fragment, GLuint program,
                                const std::string& message) {
    glDeleteProgram(program);
    delete_shader(fragment);
    delete_shader(vertex);
    std::string& last = failures_[slot];
    if (last == message) return;  // said already: a rebuild every frame says it once
    last = message;
    print_line("Shader program " + std::to_string(slot) + " not built: " + message);
}

void ShaderProgramTable::create_program(const std::string& vertex_path, const std::string& fragment_path, int slot) {
    const compiled_shader vertex = compile_shader(GL_VERTEX_SHADER, vertex_path);
    const compiled_shader fragment = compile_shader(GL_FRAGMENT_SHADER, fragment_path);
    const GLuint program = glCreateProgram();
    const std::string failure = file_names(vertex_path + shader_file_extension) + " and " +
                                file_names(fragment_path + shader_file_extension) + " do not link";
    const std::string problem = link_program(program, fragment, &vertex, failure);
    if (problem.empty())
        install(slot, vertex.name, fragment.name, program);
    else
        refuse(slot, vertex.name, fragment.name, program, problem);
}

void ShaderProgramTable::create_fragment_program(const std::string& fragment_path, int slot) {
    const compiled_shader fragment = compile_shader(GL_FRAGMENT_SHADER, fragment_path);
    const GLuint program = glCreateProgram();
    const std::string problem =
        link_program(program, fragment, nullptr, file_names(fragment_path + shader_file_extension) + " does not link");
    if (problem.empty())
        install(slot, 0, fragment.name, program);
    else
        refuse(slot, 0, fragment.name, program, problem);
    use_program(slot);
}

void ShaderProgramTable::print_shader_log(GLuint shader) { print_line(info_log(shader)); }

void ShaderProgramTable::use_program(int slot) const { glUseProgram(programs[slot]); }

void ShaderProgramTable::use_fixed_function() { glUseProgram(0); }

// A slot without a program has no uniforms: no GL call, so no GL error.
GLint ShaderProgramTable::location(int slot, const std::string& name) const {
    if (programs[slot] == 0) return -1;
    return glGetUniformLocation(programs[slot], name.c_str());
}

void ShaderProgramTable::set_uniform_1f(int slot, const std::string& name, float v) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform1f(where, v);
}

void ShaderProgramTable::set_uniform_3f(int slot, const std::string& name, float a, float b,
                                        float c) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform3f(where, a, b, c);
}

void ShaderProgramTable::set_uniform_4f(int slot, const std::string& name, float a, float b, float c,
                                        float d) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform4f(where, a, b, c, d);
}

void ShaderProgramTable::set_uniform_1i(int slot, const std::string& name, int v) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform1i(where, v);
}

void ShaderProgramTable::set_uniform_3i(int slot, const std::string& name, int a, int b,
                                        int c) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform3i(where, a, b, c);
}

void ShaderProgramTable::set_uniform_4i(int slot, const std::string& name, int a, int b, int c,
                                        int d) const {
    const GLint where = location(slot, name);
    if (where != -1) glUniform4i(where, a, b, c, d);
}

void ShaderProgramTable::bind_sampler(GLenum target, int slot, int unit, const std::string& name,
                                      GLuint texture) const {
    const GLint where = location(slot, name);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, texture);
    if (where != -1) glUniform1i(where, unit);
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
