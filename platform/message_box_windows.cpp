// Win32 message boxes: MessageBoxW with the text in UTF-16, kept above other
// windows. Windows always has a desktop to show them on.
#include "platform/system_message_box.h"

#include "platform/utf16_windows.h"

#include <windows.h>

namespace {

UINT icon_flag(message_icon icon) {
    switch (icon) {
    case message_icon::information: return MB_ICONINFORMATION;
    case message_icon::exclamation: return MB_ICONEXCLAMATION;
    case message_icon::stop: return MB_ICONSTOP;
    }
    return 0;
}

}  // namespace

bool system_message_box(const char* text, const char* caption, message_icon icon, message_buttons buttons,
                        message_answer& answer) {
    const UINT flags = icon_flag(icon) | (buttons == message_buttons::yes_no ? MB_YESNO : MB_OK) | MB_TOPMOST |
                       MB_SETFOREGROUND;
    const int result = MessageBoxW(nullptr, utf16_of(text).c_str(), utf16_of(caption).c_str(), flags);
    if (result == 0) return false;
    if (buttons == message_buttons::ok)
        answer = message_answer::ok;
    else
        answer = result == IDYES ? message_answer::yes : message_answer::no;
    return true;
}
