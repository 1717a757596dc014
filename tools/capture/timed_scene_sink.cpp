// The timed sink: each relayed call adds its time to the totals it belongs to.
#include "tools/capture/timed_scene_sink.h"

void timed_scene_sink::before(sink_call) { started_ = stage_now(); }

void timed_scene_sink::after(sink_call call) {
    const stage_time taken = stage_since(started_);
    spent += taken;
    if (call == sink_call::tube) tubes += taken;
    if (call == sink_call::mesh) meshes += taken;
}
