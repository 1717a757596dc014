// RenderContext: the one rendering record every part reaches its shared GL state
// through: the texture slot table, the render targets, the two camera records, the
// current pointer record, the picture's sizes and the loading hooks (progress, assets, partial pictures). One
// static instance lives in the application record for the whole process.
#pragma once

#include "geometry/vector3.h"
#include "platform/outcome.h"

#include <GL/glew.h>

#include <array>

struct PointerState;

constexpr int texture_slot_count = 10000;
constexpr int render_target_count = 16;

// Why an image file did not become a texture; the texts are the failure box's
// captions.
namespace texture_load_reason {
constexpr const char* unreadable = "Jpg";     // the file cannot be opened
constexpr const char* undecodable = "Jpg !";  // not a JPEG picture the decoder can read
}  // namespace texture_load_reason


// The sizes a part draws at: the picture (the render targets' size), the window's
// height and whether a forced 16:9 picture is shown full screen. The driver sets
// them before a part's init and before every frame.
struct picture_sizes {
    int render_width = 0;
    int render_height = 0;
    int window_height = 0;
    bool fullscreen = false;
    bool force_16_9 = false;
};

struct RenderContext {
    void (*progress_callback)(double step) = nullptr;
    // Told of every image file decoded into a slot, before its rows are read.
    void (*asset_callback)(const char* file_name, int slot, int width, int height) = nullptr;
    // Told of every image file that was uploaded although its file ended before
    // its picture did, with the decoder's message.
    void (*load_notice_callback)(const char* file_name, const char* detail) = nullptr;
    PointerState* pointer = nullptr;
    picture_sizes sizes;
    GLuint font_list_base = 0;  // display lists of the optional outline font (never built)
    view_pose frame_camera{vector3::of(0, 2, 0), vector3::of(0, 0, 0), vector3::of(0, 0, 1)};
    view_pose projector_camera{vector3::of(0, 0, 0), vector3::of(0, 0, 0), vector3::of(0, 0, 0)};
    bool generate_mipmaps = false;
    std::array<GLuint, texture_slot_count> texture_ids{};
    std::array<GLuint, render_target_count> ms_color0{};
    std::array<GLuint, render_target_count> ms_color1{};
    std::array<GLuint, render_target_count> ms_color2{};  // reserved, never created
    std::array<GLuint, render_target_count> ms_depth{};
    std::array<GLuint, render_target_count> ms_fbo{};
    std::array<GLuint, render_target_count> resolve_fbo{};
    int texture_base = 0;
    double fov_offset = 0.0;

    // Slot table and filtering.
    void bind_texture_slot(int slot);
    void report_progress(double step);
    void set_linear_filtering();

    // Render targets and their attachment textures.
    void create_render_target(int target, int width, int height, int samples);
    void attach_color_texture(int target, int attachment, int slot);
    void attach_depth_texture(int target, int slot);
    void bind_render_target(int target, int count);
    void resolve_render_target(int target, int width, int height, int count, bool with_depth);
    void bind_window_framebuffer();
    void create_color_target_texture(int slot, int width, int height, int unused);
    void create_depth_texture(int slot, int width, int height);
    void create_noise_texture(int slot, int width, int height);

    // Image textures from JPEG files. A file that cannot be loaded leaves the slot
    // untouched and gives the file, the reason (the system's text when it cannot be
    // opened, the decoder's message when it cannot be decoded) and its box caption.
    outcome load_jpeg_texture(const char* file_name, int slot);
    outcome load_jpeg_normal_map(const char* file_name, int slot);

    GLuint texture_of_slot(int slot) const { return texture_ids[slot + texture_base]; }
};
