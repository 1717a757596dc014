// The window system's own message box, one implementation per platform, behind
// show_message_box (which mirrors every box to standard error first).
#pragma once

#include "platform/message_box.h"

// Shows the modal box and waits; false when no box can be shown (no display).
bool system_message_box(const char* text, const char* caption, message_icon icon, message_buttons buttons,
                        message_answer& answer);
