// Measures every frame the message loop drives, from the start of its work to the
// return of the buffer swap: its CPU and wall time, and the A/V offset, the music
// being heard when the picture is handed to the display against the picture's demo
// time. In author mode or with a timing log open, the offset goes to
// app.heard_offset_ms every frame; with the log each frame also becomes a row of it.
#pragma once

#include "platform/outcome.h"

#include <string>

// Opens the timing log (see timeline/timing_log.h).
outcome open_timing_log(const std::string& path);

// Around each driven frame: before its work starts, and after its swap. A swap
// without a frame started before it (a minimised window) measures nothing.
void frame_work_started();
void frame_presented();
