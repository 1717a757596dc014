// The program's wiring: app/ is the one place that hands the lower layers what
// they use. The frame driver gets the application record and its real services
// (sound, counter, cursor, buffer swap, notes, the main part's factory);
// the rendering record gets its asset and failure hooks from AppRecord itself.
#pragma once

#include "timeline/frame_driver_services.h"

struct AppRecord;

// The real services: the sound layer, the platform's counter and cursor, the
// window's buffer swap, the notes' hand-over and part_start.
frame_driver_services real_frame_driver_services();

// Hands the record and the real services to the frame driver. Runs once, when the
// application record is made; tests and tools then replace single services.
void wire_program(AppRecord& record);

// The rendering record's notice hook: a picture read only in part is said on standard error.
void note_partial_texture(const char* file_name, const char* detail);
