// Window messages: the numbered messages, virtual-key codes and parameter layouts the
// application shell's window procedure works on, the message queue it is fed from,
// and the translation of SDL events into those messages. The numbers are the
// classic desktop ones, so the shell's input rules read the same as on Windows.
#pragma once

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <functional>
#include <vector>

struct SDL_Window;

// Message numbers.
constexpr uint32_t WM_SIZE = 5;
constexpr uint32_t WM_ACTIVATE = 6;
constexpr uint32_t WM_CLOSE = 16;
constexpr uint32_t WM_QUIT = 18;
constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_KEYUP = 257;
constexpr uint32_t WM_CHAR = 258;
constexpr uint32_t WM_SYSKEYDOWN = 260;
constexpr uint32_t WM_SYSKEYUP = 261;
constexpr uint32_t WM_SYSCOMMAND = 274;
constexpr uint32_t WM_MOUSEMOVE = 512;
constexpr uint32_t WM_LBUTTONDOWN = 513;
constexpr uint32_t WM_LBUTTONUP = 514;
constexpr uint32_t WM_RBUTTONDOWN = 516;
constexpr uint32_t WM_RBUTTONUP = 517;
constexpr uint32_t WM_MBUTTONDOWN = 519;
constexpr uint32_t WM_MBUTTONUP = 520;
constexpr uint32_t WM_MOUSEWHEEL = 522;

// Activation states (low 16 bits of WM_ACTIVATE's first parameter; the high 16 bits
// are non-zero when the window is minimised).
constexpr uintptr_t WA_INACTIVE = 0;
constexpr uintptr_t WA_ACTIVE = 1;

// System commands (first parameter of WM_SYSCOMMAND).
constexpr uintptr_t SC_MINIMIZE = 0xF020;
constexpr uintptr_t SC_CLOSE = 0xF060;
constexpr uintptr_t SC_SCREENSAVE = 0xF140;
constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// Mouse-key flags (low 16 bits of a mouse message's first parameter).
constexpr uintptr_t MK_LBUTTON = 0x01;
constexpr uintptr_t MK_RBUTTON = 0x02;
constexpr uintptr_t MK_SHIFT = 0x04;
constexpr uintptr_t MK_CONTROL = 0x08;
constexpr uintptr_t MK_MBUTTON = 0x10;

constexpr int WHEEL_DELTA = 120;  // one wheel notch

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
constexpr uint8_t VK_BACK = 8;
constexpr uint8_t VK_TAB = 9;
constexpr uint8_t VK_RETURN = 13;
constexpr uint8_t VK_SHIFT = 16;
constexpr uint8_t VK_CONTROL = 17;
constexpr uint8_t VK_MENU = 18;  // Alt
constexpr uint8_t VK_PAUSE = 19;
constexpr uint8_t VK_CAPITAL = 20;
constexpr uint8_t VK_ESCAPE = 27;
constexpr uint8_t VK_SPACE = 32;
constexpr uint8_t VK_PRIOR = 33;  // Page Up
constexpr uint8_t VK_NEXT = 34;   // Page Down
constexpr uint8_t VK_END = 35;
constexpr uint8_t VK_HOME = 36;
constexpr uint8_t VK_LEFT = 37;
constexpr uint8_t VK_UP = 38;
constexpr uint8_t VK_RIGHT = 39;
constexpr uint8_t VK_DOWN = 40;
constexpr uint8_t VK_INSERT = 45;
constexpr uint8_t VK_DELETE = 46;
constexpr uint8_t VK_NUMPAD0 = 96;
constexpr uint8_t VK_MULTIPLY = 106;
constexpr uint8_t VK_ADD = 107;
constexpr uint8_t VK_SUBTRACT = 109;
constexpr uint8_t VK_DECIMAL = 110;
constexpr uint8_t VK_DIVIDE = 111;
constexpr uint8_t VK_F1 = 112;
constexpr uint8_t VK_F4 = 115;
constexpr uint8_t VK_F12 = 123;

// Key-message second-parameter bits.
constexpr intptr_t key_alt_down_bit = intptr_t(1) << 29;
constexpr intptr_t key_was_down_bit = intptr_t(1) << 30;
constexpr intptr_t key_released_bit = intptr_t(1) << 31;

struct window_message {
    SDL_Window* window = nullptr;
    uint32_t message = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

using window_procedure_fn = intptr_t (*)(SDL_Window* window, uint32_t message, uintptr_t wparam,
                                         intptr_t lparam);

// Parameter packing and unpacking, as the classic 16-bit halves.
constexpr uint32_t low_word(uintptr_t value) { return uint32_t(value & 0xFFFF); }
constexpr uint32_t high_word(uintptr_t value) { return uint32_t((value >> 16) & 0xFFFF); }
constexpr int16_t signed_high_word(uintptr_t value) { return int16_t(uint16_t((value >> 16) & 0xFFFF)); }
constexpr uintptr_t make_param(uint32_t low, uint32_t high) {
    return uintptr_t((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// Virtual-key code of an SDL key, or 0 when the key has none.
uint8_t virtual_key_of(SDL_Keycode key);

// The character a key press types (what WM_CHAR carries): letters in the case
// Shift and Caps Lock give, digits, the space bar, Enter, Backspace, Tab and
// Escape; 0 for keys that type nothing (arrows, function keys, modifiers).
uint32_t character_of(SDL_Keycode key, uint16_t modifiers);

// Appends the window messages an SDL event stands for (none for most events). A
// key press, and each of its repeats, that types a character is followed by
// WM_CHAR, as a translated key message is on the classic desktop.
// `window_minimised` is the window's state when the event is handled; it goes into
// the activation messages.
void translate_event(const SDL_Event& event, SDL_Window* window, bool window_minimised,
                     std::vector<window_message>& out);

// The message queue. peek_message takes the oldest waiting message, first turning
// every pending SDL event into messages; false when nothing is waiting.
bool peek_message(window_message& out);

// Sees every SDL event (passed as const SDL_Event*) before it is translated; an
// observer that returns true keeps the event from the window procedure. One
// observer at a time; an empty one removes it. An in-window tool overlay uses it.
void set_event_observer(std::function<bool(const void* event)> observer);
// Queues WM_QUIT with `exit_code` as its first parameter.
void post_quit_message(int exit_code);
// Queues any message behind the ones already waiting.
void post_message(const window_message& message);
// Drops every waiting message (tests start from an empty queue).
void clear_message_queue();

// The window procedure of the registered window class; dispatch and the default
// procedure hand messages to it.
void set_window_procedure(window_procedure_fn procedure);
intptr_t dispatch_message(const window_message& message);
intptr_t send_message(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// The system's default handling: Alt+F4 becomes a close command, the close command
// becomes WM_CLOSE, the minimise command minimises; everything else returns 0.
intptr_t default_window_procedure(SDL_Window* window, uint32_t message, uintptr_t wparam,
                                  intptr_t lparam);
