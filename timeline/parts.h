// The part interface: one self-contained piece of the show that loads its assets
// in init and draws one frame per draw call. The frame driver owns the parts.
#pragma once

#include "platform/outcome.h"

#include <cstdint>

struct FrameTiming;
struct PointerState;
struct RenderContext;

class parts {
public:
    virtual ~parts() = default;
    virtual void draw(FrameTiming* timing, RenderContext* context, PointerState* pointer) = 0;
    virtual void init(RenderContext* context) = 0;
    // Advances the part's own clock by timing.step without drawing, for a start later
    // in the show; a part without a clock of its own ignores it.
    virtual void advance_clock(FrameTiming& timing) {}
    // Puts the part's own clock back where init left it, so that stepping it again
    // from the start reaches any time exactly as a start there would.
    virtual void reset_clock() {}

    int32_t active_flag = 0;  // set to 1 once init has returned
    // What init could not load, when the show cannot start without it; the driver
    // hands it to the application, which ends the start.
    outcome init_problem;
    double part_time = 0.0;   // position on the timeline, kept by the key-state recorder
};
