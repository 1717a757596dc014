// AppRecord: the one static application record. It is the frame driver's record
// (settings with their start values, sizes, input, sound handles, parts and the
// records handed to them each frame) plus what only the shell uses: the dialog's
// switches and mode list, activation, the Escape latch, and the window and context
// handles. The shell reaches it through the global `app`; the layers below are
// handed the pieces they use (see app/program_wiring.h).
#pragma once

#include "timeline/driver_record.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

struct SDL_Window;

struct AppRecord : driver_record {
    // Points the rendering record's asset and partial-picture hooks at the asset
    // list and the notice on standard error.
    AppRecord();

    uint8_t mode_list_pending = 1;
    uint8_t show_dialog = 1;
    // Set from the command line: whether buffer swaps wait for the display's
    // vertical sync.
    uint8_t vsync = 1;
    uint8_t active = 1;
    uint8_t outline_font = 0;
    // An Escape key-down seen since the last idle pass: a tap shorter than a slow
    // frame (down and up handled before the pass) still ends the show.
    uint8_t escape_pressed = 0;

    // Author mode's overlay: whether F1 has it shown.
    uint8_t overlay_shown = 0;

    // Window and context: the platform layer's handles stand in for the module
    // instance, window, device context and GL context.
    SDL_Window* window = nullptr;
    void* gl_context = nullptr;

    std::vector<std::pair<int32_t, int32_t>> mode_list;

    // Shader, mesh and image files are loaded again when they change on disk
    // (on in author mode; off for a plain show).
    bool live_reload = false;
    // The music being heard minus the picture's demo time when the last frame
    // was handed to the display, in milliseconds; NaN without music.
    double heard_offset_ms = std::numeric_limits<double>::quiet_NaN();
    // What the last reload left failing (shader builds, meshes, images), one per
    // line; empty once every rebuild succeeded.
    std::string reload_error;
};

extern AppRecord app;
