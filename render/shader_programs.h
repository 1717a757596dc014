// ShaderProgramTable: GLSL shaders and programs built from source files into
// slots the caller chooses, with uniforms and samplers set by name (the location
// is looked up on every call, no cache). A slot only ever holds a program that
// linked: a failed build keeps the slot's last good program (or none), reports
// the file and the reason once, and deletes what it made.
#pragma once

#include "geometry/vector3.h"

#include <GL/glew.h>

#include <array>
#include <map>
#include <optional>
#include <string>

constexpr int shader_slot_count = 10128;

// Every shader source name ("PostProcessing//f_godrays") gets this extension.
constexpr const char* shader_file_extension = ".glsl";

class ShaderProgramTable {
public:
    std::array<GLuint, shader_slot_count> fragment_shaders{};
    std::array<GLuint, shader_slot_count> vertex_shaders{};
    std::array<GLuint, shader_slot_count> programs{};

    // The whole file read as raw bytes; an empty file gives an empty text. A file
    // that cannot be opened prints "Cannot open shader source file." with the
    // file's names and the reason (also put in `problem`) and gives none; a read
    // failure prints the failure and gives the text padded to size.
    static std::optional<std::string> read_shader_source(const std::string& path, std::string* problem = nullptr);

    // Paths are names without the extension, relative to the working directory.
    // These two store the shader in the slot whatever its compile status.
    void compile_vertex_shader(const std::string& path, int slot);
    void compile_fragment_shader(const std::string& path, int slot);
    // Builds the slot's program from both shaders; does not make it current.
    void create_program(const std::string& vertex_path, const std::string& fragment_path, int slot);
    // Builds the slot's program from a fragment shader alone and makes the slot's
    // program current.
    void create_fragment_program(const std::string& fragment_path, int slot);
    // Writes the shader's info log (at most 999 characters) and a newline to
    // standard output, then flushes.
    static void print_shader_log(GLuint shader);

    // Slots whose last build failed, each with the message that was printed for
    // it: the file's path in the data folder and in full, the reason and the
    // driver's log. A slot leaves the list when it builds again.
    const std::map<int, std::string>& build_failures() const { return failures_; }

    void use_program(int slot) const;
    static void use_fixed_function();

    // Each looks `name` up in the slot's program and sets it in the current one;
    // a name the program lacks, or a slot without a program, changes nothing
    // (and makes no GL call).
    void set_uniform_1f(int slot, const std::string& name, float v) const;
    void set_uniform_3f(int slot, const std::string& name, float a, float b, float c) const;
    void set_uniform_4f(int slot, const std::string& name, float a, float b, float c, float d) const;
    void set_uniform_1i(int slot, const std::string& name, int v) const;
    void set_uniform_3i(int slot, const std::string& name, int a, int b, int c) const;
    void set_uniform_4i(int slot, const std::string& name, int a, int b, int c, int d) const;
    // Binds `texture` to `target` on `unit` and points the sampler `name` at that
    // unit; the unit stays active afterwards.
    void bind_sampler(GLenum target, int slot, int unit, const std::string& name, GLuint texture) const;

    // Loads bias * scale * perspective * look-at of `camera` into the texture
    // matrix of unit 2, then reactivates unit 0 and leaves the matrix mode at
    // GL_TEXTURE. A degenerate camera (all zero) contributes the identity.
    // `slot` and `name` are accepted for the callers' sake and not used.
    void load_projective_texture_matrix(int slot, const std::string& name, const view_pose& camera,
                                        double fov, double aspect, double near_plane,
                                        double far_plane) const;

private:
    // Puts a linked program and its shaders into the slot, deleting the ones
    // they replace; or, for a failed build, deletes the new objects and reports.
    void install(int slot, GLuint vertex, GLuint fragment, GLuint program);
    void refuse(int slot, GLuint vertex, GLuint fragment, GLuint program, const std::string& message);
    GLint location(int slot, const std::string& name) const;

    std::map<int, std::string> failures_;
};
