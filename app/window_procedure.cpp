// Input rules of the window procedure. Key messages only mark the key table; the
// adjustment values move once per message that reaches the default handling (mouse
// movement, buttons and the like), by the current frame's step.
#include "app/window_procedure.h"

#include "app/app_record.h"
#include "app/author_mode.h"
#include "app/gl_window.h"
#include "platform/system_services.h"
#include "platform/window_messages.h"

#include <cstdio>

namespace {

void move_adjustments() {
    double step = app.frame_timing.step;
    PointerState& pointer = app.pointer_state;
    if (app.keys[VK_UP]) pointer.adjust_updown += step * 1.5;
    if (app.keys[VK_DOWN]) pointer.adjust_updown -= step * 1.5;
    if (app.keys['A']) pointer.adjust_qa -= step;
    if (app.keys['Q']) pointer.adjust_qa += step;
}

intptr_t default_handling(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    move_adjustments();
    return default_window_procedure(window, message, wparam, lparam);
}

void add_wheel_delta(int delta) {
    app.wheel_notches += delta / WHEEL_DELTA;  // integer division truncates toward zero
    app.wheel_total += delta / 600.0;
}

bool swallowed_command(uintptr_t command) { return command == SC_SCREENSAVE || command == SC_MONITORPOWER; }

// The runtime's general conversion with 6 significant digits.
std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string three_numbers(double a, double b, double c) {
    return number_text(a) + "," + number_text(b) + "," + number_text(c);
}

}  // namespace

intptr_t window_procedure(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    switch (message) {
    case WM_SIZE:
        resize_scene(int32_t(low_word(uintptr_t(lparam))), int32_t(high_word(uintptr_t(lparam))));
        return 0;
    case WM_ACTIVATE:
        app.active = high_word(wparam) == 0 ? 1 : 0;
        return 0;
    case WM_CLOSE:
        post_quit_message(0);
        return 0;
    case WM_KEYDOWN:
        app.keys[wparam & 0xFF] = 1;
        if ((wparam & 0xFF) == VK_ESCAPE) app.escape_pressed = 1;
        if (app.author) author_key(uint8_t(wparam & 0xFF), (lparam & key_was_down_bit) != 0);
        return 0;
    case WM_KEYUP:
        app.keys[wparam & 0xFF] = 0;
        return 0;
    case WM_SYSCOMMAND:
        if (swallowed_command(wparam)) return 0;
        break;
    case WM_LBUTTONDOWN: app.left_button = 1; break;
    case WM_LBUTTONUP: app.left_button = 0; break;
    case WM_RBUTTONDOWN: app.right_button = 1; break;
    case WM_RBUTTONUP: app.right_button = 0; break;
    case WM_MBUTTONDOWN: note_middle_click(); break;
    case WM_MOUSEWHEEL:
        add_wheel_delta(signed_high_word(wparam));
        return 0;
    default:
        break;
    }
    return default_handling(window, message, wparam, lparam);
}

std::string middle_click_note() {
    const PointerState& pointer = app.pointer_state;
    const vector3& eye = app.render_context.frame_camera.eye;
    std::string note = "Cam :" + three_numbers(pointer.pointer_x, pointer.pointer_y, pointer.wheel) + "  \n";
    note += "Pnt :" + three_numbers(pointer.mark_point[0], pointer.mark_point[1], pointer.mark_point[2]) +
            "  \n \n";
    note += "MCr :" + three_numbers(eye.x, eye.y, eye.z) + "  \n \n";
    return note;
}

void note_middle_click() {
    PointerState& pointer = app.pointer_state;
    pointer.marked_points.push_back(vector3(1, float(pointer.mark_point[0]), float(pointer.mark_point[1]),
                                            float(pointer.mark_point[2])));
    app.clip_text += middle_click_note();
}

bool copy_to_clipboard(const char* text) { return set_clipboard_text(text); }

void hand_over_notes() {
    copy_to_clipboard(app.clip_text.c_str());
    if (!app.clip_text.empty()) {
        std::fputs(app.clip_text.c_str(), stdout);
        std::fflush(stdout);
    }
}
