// Modal message boxes (GTK 3 on Linux, MessageBoxW on Windows) with a caption, a
// text, an icon and OK or Yes/No buttons. Every box also writes "caption: text" to
// standard error, so a run without a display still says what went wrong.
#pragma once

enum class message_icon { information, exclamation, stop };
enum class message_buttons { ok, yes_no };
enum class message_answer { ok, yes, no };

// Shows the box and waits for the answer. Without a usable display the box is
// only written to standard error; a Yes/No question then answers No.
message_answer show_message_box(const char* text, const char* caption, message_icon icon,
                                message_buttons buttons = message_buttons::ok);

// Tests answer the boxes themselves: with a handler set, every box still goes to
// standard error, then the handler gives the answer instead of a window. A null
// handler restores the real boxes.
using message_box_handler = message_answer (*)(const char* text, const char* caption, message_icon icon,
                                               message_buttons buttons);
void set_message_box_handler(message_box_handler handler);
