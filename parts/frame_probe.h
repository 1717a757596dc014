// frame_probe: an optional watcher of the main part's frame. The part tells it
// where each stage of its frame begins and ends, and draws the scene through the
// sink the probe hands back, so a benchmark can time the stages and the calls the
// choreography makes. Without a probe the frame runs exactly as before.
#pragma once

class scene_sink;

enum class frame_stage {
    clock,              // clock, note values, drive values and camera
    scene_pass,         // the scene into the multisample target, resolved
    choreography,       // the choreography's own call, inside the scene pass
    ambient_occlusion,  // post-processing: occlusion combine
    highlights,         // post-processing: quarter-size highlight blur
    final_composite,    // post-processing: the composite into the window, end of frame
};
constexpr int frame_stage_count = 6;

class frame_probe {
public:
    virtual ~frame_probe() = default;
    virtual void begin(frame_stage stage) = 0;
    virtual void end(frame_stage stage) = 0;
    // The sink the choreography draws through; the part's own one by default.
    virtual scene_sink& scene_sink_for(scene_sink& part_sink) { return part_sink; }
};
