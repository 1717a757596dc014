// Message boxes: every box is first written to standard error, then answered by a
// test's handler or shown by the window system (GTK 3 on Linux, MessageBoxW on
// Windows). Where no box can be shown, a Yes/No question answers No.
#include "platform/message_box.h"

#include "platform/system_message_box.h"

#include <cstdio>

namespace {

message_box_handler box_handler = nullptr;

}  // namespace

void set_message_box_handler(message_box_handler handler) { box_handler = handler; }

message_answer show_message_box(const char* text, const char* caption, message_icon icon,
                                message_buttons buttons) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (box_handler != nullptr) return box_handler(text, caption, icon, buttons);
    message_answer answer = message_answer::ok;
    if (!system_message_box(text, caption, icon, buttons, answer))
        return buttons == message_buttons::yes_no ? message_answer::no : message_answer::ok;
    return answer;
}
