// part_start: the main part that carries the show after the loading frame. init
// builds its programs, images, render-target attachments, meshes and note table;
// draw advances its clock, picks the camera, renders the choreography into render
// target 0 and runs the post-processing chain into the window.
#pragma once

#include "geometry/objmesh.h"
#include "geometry/spline.h"
#include "geometry/vector3.h"
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
    // the old one stays. Empty when it loaded or is no file of this part, else
    // the reason.
    std::string reload_file(const std::string& data_path, RenderContext& context);

    // The frame the choreography receives, from this frame's values.
    choreography_frame choreography_input(const RenderContext& context) const;

    double scene_time = 0.0;
    double show_time = 0.0;
    // Watches the frame's stages when set (benchmarks); owned by the caller.
    frame_probe* probe = nullptr;

    int material_program = 1;
    int ssao_program = 3;
    int blur_program = 4;
    int velocity_program = 5;
    int highlight_program = 6;
    int godrays_program = 7;
    int simple_blur_program = 13;

    int slot_base = 0;
    int scene_color_slot = 0;
    int scene_aux_slot = 11;
    int scene_depth_slot = 26;
    int noise_slot = 27;
    int highlight_slot = 28;
    int second_depth_slot = 29;
    int velocity_slot = 32;

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
    static constexpr int normal_map_offset = 10;
    static constexpr int blob_offset = 12;
    static constexpr int black_2d_offset = 111;
    static constexpr int black_cube_offset = 200;

private:
    void build_programs();
    void rebuild_programs();
    void create_images(RenderContext& context);
    void create_black_textures(RenderContext& context);
    void load_images(RenderContext& context);
    std::string reload_image(int index, RenderContext& context);
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
