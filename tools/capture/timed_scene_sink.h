// timed_scene_sink: relays every call of the choreography to another sink and
// adds up the wall and CPU time spent inside those calls, which is the frame's
// submission (GL calls, tube generation) as opposed to the choreography's own
// arithmetic around them.
#pragma once

#include "parts/relay_scene_sink.h"
#include "tools/capture/stage_clock.h"

class timed_scene_sink : public relay_scene_sink {
public:
    stage_time spent;   // in all calls since the last reset
    stage_time tubes;   // of that, in draw_tube (generation and submission)
    stage_time meshes;  // of that, in draw_mesh
    void reset() { spent = tubes = meshes = {}; }

protected:
    void before(sink_call call) override;
    void after(sink_call call) override;

private:
    stage_time started_;
};
