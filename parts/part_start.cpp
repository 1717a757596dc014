// The main part: its one-time loading and its frame. Each frame advances the part
// clock, derives the note values, drive values and camera, draws the choreography
// into multisample target 0, resolves it, darkens it by ambient occlusion, blurs
// its highlights at quarter size and composites the result into the window.
#include "parts/part_start.h"

#include "parts/choreography.h"
#include "parts/frame_probe.h"
#include "parts/gl_scene_sink.h"
#include "parts/start_rules.h"
#include "platform/file_report.h"
#include "platform/show_random.h"
#include "render/gl_check.h"
#include "render/render_context.h"
#include "render/screen_passes.h"
#include "timeline/frame_step.h"

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <filesystem>

namespace {

constexpr int space_bar = 32;
constexpr int ssao_discarded_draws = 1000;
constexpr int black_cube_size = 4;

// Loads the identity into the texture matrix of `unit`, leaving that unit active.
void identity_texture_matrix(int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
}

GLuint& slot_name(RenderContext& context, int slot) { return context.texture_ids[slot + context.texture_base]; }

// The five meshes with their files, in loading order.
struct mesh_file {
    const char* path;
    objmesh part_start::*mesh;
};
constexpr std::array<mesh_file, 5> mesh_files = {{
    {"neomeshes//quorrel.obj", &part_start::quorrel_mesh},
    {"neomeshes//quorrels.obj", &part_start::quorrels_mesh},
    {"neomeshes//transf3.obj", &part_start::transf3_mesh},
    {"neomeshes//wings.obj", &part_start::wings_mesh},
    {"neomeshes//credits.obj", &part_start::credits_mesh},
}};

// The two images with their slots (offsets from slot_base), in loading order.
struct image_file {
    const char* path;
    int offset;
    bool normal_map;
};
constexpr std::array<image_file, 2> image_files = {{
    {"textures/noise.jpg", part_start::normal_map_offset, true},
    {"textures/blob41b.jpg", part_start::blob_offset, false},
}};

// The programs with their files (no vertex file: the fixed-function vertex
// stage), in building order; the space bar rebuilds those marked.
struct program_file {
    const char* vertex;
    const char* fragment;
    int part_start::*program;
    bool rebuilt_live;
};
constexpr std::array<program_file, 7> program_files = {{
    {"Materials//v_material1", "Materials//f_material1", &part_start::material_program, true},
    {nullptr, "PostProcessing//f_combineSSAO", &part_start::ssao_program, true},
    {nullptr, "PostProcessing//f_blurpass", &part_start::blur_program, true},
    {nullptr, "PostProcessing//f_simpleblur", &part_start::simple_blur_program, true},
    {nullptr, "PostProcessing//f_blurhighlights", &part_start::highlight_program, true},
    {nullptr, "PostProcessing//f_godrays", &part_start::godrays_program, false},
    {"PostProcessing//v_velocities", "PostProcessing//f_velocities", &part_start::velocity_program, false},
}};

void build_program(ShaderProgramTable& shaders, const program_file& file, int slot) {
    if (file.vertex != nullptr)
        shaders.create_program(file.vertex, file.fragment, slot);
    else
        shaders.create_fragment_program(file.fragment, slot);
}

bool same_file(const std::string& a, const std::string& b) {
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

outcome load_image(RenderContext& context, const image_file& image, int slot_base) {
    const int slot = slot_base + image.offset;
    return image.normal_map ? context.load_jpeg_normal_map(image.path, slot) : context.load_jpeg_texture(image.path, slot);
}

// The blob sprite, bound, is clamped to its black border so that it never wraps.
void clamp_bound_texture() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

// --- Initialisation --------------------------------------------------------------

part_start::part_start() = default;
part_start::~part_start() = default;

void part_start::build_programs() {
    for (const program_file& file : program_files) build_program(shaders, file, this->*file.program);
}

// While the space bar is held the programs the look depends on are read again
// from their files, so shader edits show on the next frame.
void part_start::rebuild_programs() {
    for (const program_file& file : program_files)
        if (file.rebuilt_live) build_program(shaders, file, this->*file.program);
}

void part_start::create_images(RenderContext& context) {
    const int w = context.sizes.render_width;
    const int h = context.sizes.render_height;
    context.create_noise_texture(noise_slot, 1024, 1024);
    context.create_color_target_texture(scene_color_slot, w, h, 0);
    context.create_color_target_texture(highlight_slot, w / 4, h / 4, 0);
    context.create_color_target_texture(scene_aux_slot, w, h, 0);
    context.create_color_target_texture(velocity_slot, w, h, 0);
    context.create_depth_texture(scene_depth_slot, w, h);
    context.create_depth_texture(second_depth_slot, w, h);
}

// The material samples a 2D image and a cube map that nothing renders into: a
// black texel and a small black cube, so both samplers read complete textures.
void part_start::create_black_textures(RenderContext& context) {
    const std::array<uint8_t, 4 * black_cube_size * black_cube_size> black{};
    GLuint& flat = slot_name(context, slot_base + black_2d_offset);
    glGenTextures(1, &flat);
    glBindTexture(GL_TEXTURE_2D, flat);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black.data());

    GLuint& cube = slot_name(context, slot_base + black_cube_offset);
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (int face = 0; face < 6; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, black_cube_size, black_cube_size, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, black.data());
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

// At start-up an image that cannot be loaded ends the loading: the show cannot
// start without it, so the failure is kept for the driver to hand on.
bool part_start::load_images(RenderContext& context) {
    for (const image_file& image : image_files) {
        init_problem = load_image(context, image, slot_base);
        if (!init_problem.done()) return false;
    }
    context.bind_texture_slot(slot_base + blob_offset);
    clamp_bound_texture();
    return true;
}

namespace {

// A mesh or the note file that gives less than it should is said on standard
// error; the show goes on with what could be read, as it always has.
void load_mesh(objmesh& mesh, const char* file_name) {
    load_outcome outcome;
    const bool read = mesh.load(file_name, false, &outcome);
    if (outcome.ok()) return;
    const bool nothing_drawn = !read || outcome.problem == load_problem::no_faces;
    report_file_problem(file_name, outcome.reason(), nothing_drawn ? "the show goes on without this mesh" : nullptr);
}

void load_notes(spline& notes, const char* file_name) {
    load_outcome outcome;
    const bool read = notes.load_points(file_name, &outcome);
    if (outcome.ok()) return;
    report_file_problem(file_name, outcome.reason(), read ? nullptr : "the show goes on without its piano notes");
}

}  // namespace

void part_start::load_meshes() {
    for (const mesh_file& file : mesh_files) load_mesh(this->*file.mesh, file.path);
}

// --- Reloading while the show runs -----------------------------------------------

void part_start::reload_programs() { build_programs(); }

// While the show runs a bad file only keeps the old texture: the reason is
// returned and the show goes on.
outcome part_start::reload_image(int index, RenderContext& context) {
    const image_file& image = image_files[static_cast<size_t>(index)];
    const GLuint old = slot_name(context, slot_base + image.offset);
    const outcome result = load_image(context, image, slot_base);
    if (!result.done())
        return outcome::file_failed(image.path, "cannot be loaded as a JPEG picture (" + result.caption + ")");
    if (old != 0) glDeleteTextures(1, &old);
    if (image.offset == blob_offset) clamp_bound_texture();
    return {};
}

outcome part_start::reload_file(const std::string& data_path, RenderContext& context) {
    for (const mesh_file& file : mesh_files) {
        if (!same_file(data_path, file.path)) continue;
        objmesh fresh;
        load_outcome loaded;
        if (!fresh.load(file.path, false, &loaded)) return outcome::file_failed(file.path, loaded.reason());
        this->*file.mesh = std::move(fresh);  // in place: the scene sink holds the mesh's address
        return {};
    }
    for (size_t i = 0; i < image_files.size(); ++i)
        if (same_file(data_path, image_files[i].path)) return reload_image(static_cast<int>(i), context);
    return {};
}

void part_start::init(RenderContext* context) {
    scene_time = 0.0;
    show_time = 0.0;
    slot_base = 0;
    material_program = show_slots::material_program, ssao_program = show_slots::ssao_program;
    blur_program = show_slots::blur_program, velocity_program = show_slots::velocity_program;
    highlight_program = show_slots::highlight_program, godrays_program = show_slots::godrays_program;
    simple_blur_program = show_slots::simple_blur_program;
    build_programs();

    scene_color_slot = slot_base + show_slots::scene_color;
    scene_aux_slot = slot_base + show_slots::scene_aux;
    scene_depth_slot = slot_base + show_slots::scene_depth;
    noise_slot = slot_base + show_slots::noise;
    highlight_slot = slot_base + show_slots::highlight;
    second_depth_slot = slot_base + show_slots::second_depth;
    velocity_slot = slot_base + show_slots::velocity;
    create_images(*context);
    create_black_textures(*context);

    context->attach_color_texture(0, 0, scene_color_slot);
    context->attach_color_texture(0, 1, scene_aux_slot);
    context->attach_depth_texture(0, scene_depth_slot);
    context->attach_color_texture(1, 0, highlight_slot);

    if (!load_images(*context)) return;
    load_meshes();
    load_notes(notes, "misc//piano2.txt");
    reset_clock();
    sink_ = std::make_unique<gl_scene_sink>(*context, shaders,
                                            scene_meshes{&quorrel_mesh, &transf3_mesh, &wings_mesh, &credits_mesh});
}

// --- The frame -------------------------------------------------------------------

void part_start::advance_clock(FrameTiming& timing) {
    scene_time = ::advance_clock(scene_time, timing.step);
    show_time = scene_time;
}

void part_start::reset_clock() {
    scene_time = start_clock_floor;
    show_time = 0.0;
}

void part_start::probe_begin(frame_stage stage) {
    if (probe) probe->begin(stage);
}

void part_start::probe_end(frame_stage stage) {
    if (probe) probe->end(stage);
}

void part_start::update_drive_values() {
    const double t = scene_time;
    spectrum_band = 1;
    spectrum_gain = spectrum_gain_at(t);
    position_y = 2.0 * t - 20.0;
}

// The start camera, moved toward the windowed camera as the opening blend runs.
void part_start::choose_camera(RenderContext& context) {
    const chosen_camera chosen = ::choose_camera(scene_time, pointer_copy.pointer_x, pointer_copy.pointer_y);
    context.frame_camera = chosen.frame_camera;
    local_camera = chosen.local_camera;
    position_y = chosen.position_y;
    camera_blend = chosen.blend;
}

choreography_frame part_start::choreography_input(const RenderContext& context) const {
    choreography_frame frame;
    frame.scene_time = scene_time;
    frame.show_time = show_time;
    frame.note_p1 = static_cast<float>(pointer_copy.pointer_y);
    frame.spectrum_value = pointer_copy.spectrum[static_cast<size_t>(spectrum_band)];
    frame.spectrum_gain = spectrum_gain;
    frame.position_y = position_y;
    frame.frame_camera = context.frame_camera;
    frame.projector_camera = context.projector_camera;
    frame.width = context.sizes.render_width;
    frame.height = context.sizes.render_height;
    frame.slots.material_program = material_program;
    frame.slots.normal_map = slot_base + normal_map_offset;
    frame.slots.second_depth = second_depth_slot;
    frame.slots.texture_111 = slot_base + black_2d_offset;
    frame.slots.blob = slot_base + blob_offset;
    frame.slots.cube_200 = slot_base + black_cube_offset;
    return frame;
}

// The choreography into multisample target 0 (colour, second output, depth),
// with the replay rewind applied to its clock only.
void part_start::scene_pass(RenderContext& context) {
    context.attach_color_texture(0, 0, scene_color_slot);
    context.attach_color_texture(0, 1, scene_aux_slot);
    context.attach_depth_texture(0, scene_depth_slot);
    context.bind_render_target(0, 2);

    show_time = scene_time;
    scene_time = rewound_time(scene_time);

    probe_begin(frame_stage::choreography);
    draw_choreography(choreography_input(context), probe ? probe->scene_sink_for(*sink_) : *sink_);
    probe_end(frame_stage::choreography);
    gl_check::check("scene pass");
    context.resolve_render_target(0, context.sizes.render_width, context.sizes.render_height, 2, true);
}

// Darkens the resolved colour by the depth around each pixel, drawn back into
// target 0 and resolved over the scene colour.
void part_start::ambient_occlusion_pass(RenderContext& context) {
    const int w = context.sizes.render_width;
    const int h = context.sizes.render_height;
    context.attach_color_texture(0, 0, scene_color_slot);
    context.bind_render_target(0, 1);
    load_identity_matrices();
    glDisable(GL_DEPTH_TEST);

    show_srand(ssao_seed(scene_time));
    for (int i = 0; i < ssao_discarded_draws; ++i) show_rand();

    shaders.use_program(ssao_program);
    shaders.set_uniform_1f(ssao_program, "Limit", static_cast<float>(show_rand() / 32767.0));
    shaders.set_uniform_1f(ssao_program, "fttime", static_cast<float>(show_time));
    shaders.bind_sampler(GL_TEXTURE_2D, ssao_program, 0, "texture2d_1", context.texture_of_slot(scene_color_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, ssao_program, 1, "texture2d_2", context.texture_of_slot(scene_depth_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, ssao_program, 2, "texture2d_3", context.texture_of_slot(scene_aux_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, ssao_program, 3, "texture2d_random", context.texture_of_slot(noise_slot));

    shaders.load_projective_texture_matrix(ssao_program, "ProjectionMatrix", context.frame_camera,
                                           start_field_of_view, static_cast<double>(w) / h, 0.1, 100.0);
    glLoadIdentity();  // the texture matrix of unit 0
    draw_screen_quad(0, 1, 1, true, 1.0f);
    context.resolve_render_target(0, w, h, 1, false);
    gl_check::check("ambient occlusion pass");
}

void part_start::highlight_pass(RenderContext& context) {
    const picture_sizes& sizes = context.sizes;
    run_screen_pass(context, shaders, highlight_program, 1, 1, sizes.render_width / 4, sizes.render_height / 4,
                    scene_color_slot, highlight_slot, -1, -1, "highlight pass");
}

// The composite into the window. A forced 16:9 picture on a taller full-screen
// display is centred between black bands.
void part_start::final_pass(RenderContext& context) {
    const picture_sizes& sizes = context.sizes;
    const int w = sizes.render_width;
    const int h = sizes.render_height;
    glMatrixMode(GL_MODELVIEW);
    context.bind_window_framebuffer();
    const int offset = picture_offset_y(sizes.window_height, h, sizes.fullscreen, sizes.force_16_9);
    if (offset > 0) {  // the bands; the clear colour comes back with the attributes
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glViewport(0, offset, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    identity_texture_matrix(0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);

    shaders.use_program(blur_program);
    shaders.bind_sampler(GL_TEXTURE_2D, blur_program, 0, "texture2d_1", context.texture_of_slot(scene_color_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, blur_program, 4, "texture2d_s", context.texture_of_slot(highlight_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, blur_program, 1, "texture2d_velocities",
                         context.texture_of_slot(velocity_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, blur_program, 2, "texture2d_random", context.texture_of_slot(noise_slot));
    shaders.bind_sampler(GL_TEXTURE_2D, blur_program, 3, "texture2d_2", context.texture_of_slot(scene_depth_slot));

    const final_drive drive = final_pass_drive(scene_time, pointer_copy.spectrum[static_cast<size_t>(spectrum_band)],
                                               spectrum_gain);
    shaders.set_uniform_1f(blur_program, "Limit", static_cast<float>(pointer_copy.adjust_qa));
    shaders.set_uniform_1f(blur_program, "ttime", static_cast<float>(scene_time));
    shaders.set_uniform_1f(blur_program, "fttime", static_cast<float>(show_time));
    shaders.set_uniform_1f(blur_program, "DSP", drive.dsp);
    shaders.set_uniform_1f(blur_program, "DSP2", drive.dsp2);

    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glDisable(GL_BLEND);
    draw_screen_quad(0, 1, 1, true, 1.0f);
    ShaderProgramTable::use_fixed_function();
    gl_check::check("final pass");
}

void part_start::end_frame(RenderContext& context) {
    identity_texture_matrix(1);
    identity_texture_matrix(0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    reset_flat_state();

    glPopAttrib();
    scene_time = show_time;
    glFlush();

    pointer_copy.scratch[0] = scene_time;
    *context.pointer = pointer_copy;
}

void part_start::draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) {
    context->pointer = pointer;
    pointer_copy = *pointer;
    pointer_copy.pointer_x = 0.0;
    pointer_copy.pointer_y = 0.0;
    pointer_copy.wheel = 0.0;
    probe_begin(frame_stage::clock);
    advance_clock(*timing);
    const note_values note = look_up_notes(notes, scene_time);
    pointer_copy.pointer_x = note.p0;
    pointer_copy.pointer_y = note.p1;

    update_drive_values();
    if (pointer_copy.key_states[space_bar] != 0) rebuild_programs();
    // The attributes are saved with the window framebuffer bound, where the frame
    // ends: restoring a draw buffer saved for another framebuffer would fail.
    context->bind_window_framebuffer();
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    choose_camera(*context);
    probe_end(frame_stage::clock);
    probe_begin(frame_stage::scene_pass);
    scene_pass(*context);
    probe_end(frame_stage::scene_pass);
    probe_begin(frame_stage::ambient_occlusion);
    ambient_occlusion_pass(*context);
    probe_end(frame_stage::ambient_occlusion);
    probe_begin(frame_stage::highlights);
    highlight_pass(*context);
    probe_end(frame_stage::highlights);
    probe_begin(frame_stage::final_composite);
    final_pass(*context);
    end_frame(*context);
    probe_end(frame_stage::final_composite);
    gl_check::check("frame");
}
