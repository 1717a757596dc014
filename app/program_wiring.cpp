// The wiring of the whole program: the real frame driver services and the hook
// through which render reports a picture read only in part.
#include "app/program_wiring.h"

#include "app/app_record.h"
#include "app/gl_window.h"
#include "app/window_procedure.h"
#include "parts/part_start.h"
#include "app/shell_messages.h"
#include "platform/file_report.h"
#include "platform/message_box.h"
#include "platform/system_services.h"
#include "platform/window_system.h"
#include "timeline/frame_driver.h"

frame_driver_services real_frame_driver_services() {
    static sound_source fsound;
    frame_driver_services services;
    services.sound = &fsound;
    services.counter = performance_counter;
    services.counter_frequency = performance_frequency;
    services.cursor = cursor_position;
    services.swap_buffers = [] { swap_window_buffers(app.window); };
    services.hand_over_notes = hand_over_notes;
    services.make_main_part = []() -> parts* { return new part_start; };
    return services;
}

void wire_program(AppRecord& record) {
    hand_driver_record(record);
    driver_services() = real_frame_driver_services();
}

void note_partial_texture(const char* file_name, const char* detail) {
    report_file_problem(file_name, detail, "the show goes on with the part that was read");
}
