// The wiring of the whole program: the real frame driver services and the hooks
// through which render reports a loaded or failed image.
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

#include <cstdlib>

frame_driver_services real_frame_driver_services() {
    static sound_source fsound;
    frame_driver_services services;
    services.sound = &fsound;
    services.counter = performance_counter;
    services.counter_frequency = performance_frequency;
    services.cursor = cursor_position;
    services.swap_buffers = [] { swap_window_buffers(app.window); };
    services.kill_window = kill_gl_window;
    services.hand_over_notes = hand_over_notes;
    services.message = [](const char* text, const char* caption) {
        show_message_box(text, caption, message_icon::information);
    };
    services.exit_process = [](int code) { std::exit(code); };
    services.make_main_part = []() -> parts* { return new part_start; };
    return services;
}

void wire_program(AppRecord& record) {
    hand_driver_record(record);
    driver_services() = real_frame_driver_services();
}

void end_on_texture_failure(const char* file_name, const char* caption, const char* detail) {
    report_file_problem(file_name, detail);
    show_message_box(file_name, caption, message_icon::information);
    std::exit(exit_start_failure);
}

void note_partial_texture(const char* file_name, const char* detail) {
    report_file_problem(file_name, detail, "the show goes on with the part that was read");
}
