// part_start: the main part that carries the show after the loading frame. init
// builds its programs, images, render-target attachments, meshes and note table;
// draw advances its clock, picks the camera, renders the choreography into render
// target 0 and runs the post-processing chain into the window.
#pragma once

#include "geometry/objmesh.h"
#include "geometry/spline.h"
#include "geometry/vector3.h"
#include "parts/show_slots.h"
#include "render/shader_programs.h"
#include "timeline/frame_records.h"
#include "timeline/parts.h"

#include <memory>
#include <string>

struct choreography_frame;
class frame_probe;
class gl_scene_sink;
enum class frame_stage;

class part_start : public parts {
public:
    part_start();
    ~part_start() override;

    void draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) override;
    void init(RenderContext* context) override;

    // The clock part of draw alone: scales and writes back timing.step, advances
    // the clock and sets show_time, exactly as a drawn frame does. Lets a caller
    // step the show to a time without rendering the frames before it.
    void advance_clock(FrameTiming& timing) override;
    void reset_clock() override;

    // Authoring: every program built again from its files; one that fails keeps
    // its last good build (see ShaderProgramTable::build_failures).
    void reload_programs();
    // Loads the mesh or image at `data_path` (as "neomeshes/wings.obj") again in
    // place, releasing the texture it replaces; when the file cannot be loaded
    // the old one stays. Done when it loaded or is no file of this part, else the
    // file and the reason.
    outcome reload_file(const std::string& data_path, RenderContext& context);

    // The frame the choreography receives, from this frame's values.
    choreography_frame choreography_input(const RenderContext& context) const;

    double scene_time = 0.0;
    double show_time = 0.0;
    // Watches the frame's stages when set (benchmarks); owned by the caller.
    frame_probe* probe = nullptr;

    int material_program = show_slots::material_program;
    int ssao_program = show_slots::ssao_program;
    int blur_program = show_slots::blur_program;
    int velocity_program = show_slots::velocity_program;
    int highlight_program = show_slots::highlight_program;
    int godrays_program = show_slots::godrays_program;
    int simple_blur_program = show_slots::simple_blur_program;

    int slot_base = 0;
    int scene_color_slot = show_slots::scene_color;
    int scene_aux_slot = show_slots::scene_aux;
    int scene_depth_slot = show_slots::scene_depth;
    int noise_slot = show_slots::noise;
    int highlight_slot = show_slots::highlight;
    int second_depth_slot = show_slots::second_depth;
    int velocity_slot = show_slots::velocity;

    objmesh quorrel_mesh;
    objmesh quorrels_mesh;
    objmesh transf3_mesh;
    objmesh wings_mesh;
    objmesh credits_mesh;
    ShaderProgramTable shaders;
    spline notes;

    int spectrum_band = 1;
    double spectrum_gain = 0.0;
    double position_y = 0.0;
    PointerState pointer_copy;
    view_pose local_camera;
    double camera_blend = 0.0;

    // Fixed slots beside the table's fields: the normal map, the blob sprite, and
    // the two images the material samples that nothing renders into.
    static constexpr int normal_map_offset = show_slots::normal_map;
    static constexpr int blob_offset = show_slots::blob;
    static constexpr int black_2d_offset = show_slots::black_2d;
    static constexpr int black_cube_offset = show_slots::black_cube;

private:
    void build_programs();
    void rebuild_programs();
    void create_images(RenderContext& context);
    void create_black_textures(RenderContext& context);
    // False, with init_problem set, when an image cannot be loaded.
    bool load_images(RenderContext& context);
    outcome reload_image(int index, RenderContext& context);
    void load_meshes();

    void probe_begin(frame_stage stage);
    void probe_end(frame_stage stage);
    void update_drive_values();
    void choose_camera(RenderContext& context);
    void scene_pass(RenderContext& context);
    void ambient_occlusion_pass(RenderContext& context);
    void highlight_pass(RenderContext& context);
    void final_pass(RenderContext& context);
    void end_frame(RenderContext& context);

    // The scene pass's sink, made once in init so that its tube buffer is kept; it
    // holds the RenderContext handed to init, the one every frame receives.
    std::unique_ptr<gl_scene_sink> sink_;
};
