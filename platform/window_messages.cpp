// SDL events become window messages here, wait in one queue, and are dispatched to
// the registered window procedure. The default procedure covers the few system
// behaviours the shell relies on (Alt+F4 and the close command ending in WM_CLOSE).
#include "platform/window_messages.h"

#include <SDL2/SDL.h>

#include <deque>

namespace {

std::deque<window_message> message_queue;
window_procedure_fn registered_procedure = nullptr;

uint8_t virtual_key_of_keypad(SDL_Keycode key) {
    switch (key) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_KP_ENTER: return VK_RETURN;
    default: break;
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return uint8_t(VK_NUMPAD0 + 1 + (key - SDLK_KP_1));
    return 0;
}

uint8_t virtual_key_of_named(SDL_Keycode key) {
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
    }
}

uintptr_t mouse_key_flags(uint32_t buttons, uint16_t modifiers) {
    uintptr_t flags = 0;
    if (buttons & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
    if (modifiers & KMOD_SHIFT) flags |= MK_SHIFT;
    if (modifiers & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

intptr_t point_param(int x, int y) { return intptr_t(make_param(uint32_t(x), uint32_t(y))); }

void translate_window_event(const SDL_WindowEvent& event, SDL_Window* window, bool minimised,
                            std::vector<window_message>& out) {
    uintptr_t minimised_word = minimised ? 1 : 0;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.push_back({window, WM_SIZE, 0, point_param(event.data1, event.data2)});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({window, WM_ACTIVATE, make_param(WA_ACTIVE, minimised_word), 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back({window, WM_ACTIVATE, make_param(WA_INACTIVE, minimised_word), 0});
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({window, WM_ACTIVATE, make_param(WA_INACTIVE, 1), 0});
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({window, WM_ACTIVATE, make_param(WA_ACTIVE, 0), 0});
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({window, WM_CLOSE, 0, 0});
        break;
    default:
        break;
    }
}

void translate_key_event(const SDL_KeyboardEvent& event, SDL_Window* window,
                         std::vector<window_message>& out) {
    uint8_t key = virtual_key_of(event.keysym.sym);
    if (key == 0) return;
    bool down = event.type == SDL_KEYDOWN;
    bool alt = (event.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU;
    intptr_t lparam = 1;  // repeat count
    if (alt) lparam |= key_alt_down_bit;
    if (!down || event.repeat) lparam |= key_was_down_bit;
    if (!down) lparam |= key_released_bit;
    uint32_t message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    out.push_back({window, message, key, lparam});
    if (message != WM_KEYDOWN) return;
    if (uint32_t typed = character_of(event.keysym.sym, event.keysym.mod))
        out.push_back({window, WM_CHAR, typed, lparam});
}

void translate_button_event(const SDL_MouseButtonEvent& event, SDL_Window* window,
                            std::vector<window_message>& out) {
    bool down = event.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message = 0;
    if (event.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (event.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (event.button == SDL_BUTTON_MIDDLE) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    if (message == 0) return;
    uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    out.push_back({window, message, mouse_key_flags(buttons, SDL_GetModState()), point_param(event.x, event.y)});
}

void translate_wheel_event(const SDL_MouseWheelEvent& event, SDL_Window* window,
                           std::vector<window_message>& out) {
    int notches = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y;
    if (notches == 0) return;  // a purely sideways scroll has no vertical wheel message
    int delta = notches * WHEEL_DELTA;
    uintptr_t flags = mouse_key_flags(SDL_GetMouseState(nullptr, nullptr), SDL_GetModState());
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    out.push_back({window, WM_MOUSEWHEEL, make_param(uint32_t(flags), uint32_t(uint16_t(int16_t(delta)))),
                   point_param(x, y)});
}

}  // namespace

uint8_t virtual_key_of(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return uint8_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return uint8_t('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return uint8_t(VK_F1 + (key - SDLK_F1));
    if (uint8_t keypad = virtual_key_of_keypad(key)) return keypad;
    return virtual_key_of_named(key);
}

uint32_t character_of(SDL_Keycode key, uint16_t modifiers) {
    if (key >= SDLK_a && key <= SDLK_z) {
        const bool upper = ((modifiers & KMOD_SHIFT) != 0) != ((modifiers & KMOD_CAPS) != 0);
        return uint32_t(upper ? 'A' + (key - SDLK_a) : key);
    }
    if (key >= SDLK_0 && key <= SDLK_9) return uint32_t(key);
    switch (key) {
    case SDLK_SPACE: case SDLK_RETURN: case SDLK_BACKSPACE: case SDLK_TAB: case SDLK_ESCAPE: return uint32_t(key);
    default: return 0;
    }
}

void translate_event(const SDL_Event& event, SDL_Window* window, bool window_minimised,
                     std::vector<window_message>& out) {
    switch (event.type) {
    case SDL_WINDOWEVENT:
        translate_window_event(event.window, window, window_minimised, out);
        break;
    case SDL_QUIT:  // the session or a signal asks the program to end
        out.push_back({window, WM_CLOSE, 0, 0});
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        translate_key_event(event.key, window, out);
        break;
    case SDL_MOUSEMOTION:
        out.push_back({window, WM_MOUSEMOVE, mouse_key_flags(event.motion.state, SDL_GetModState()),
                       point_param(event.motion.x, event.motion.y)});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        translate_button_event(event.button, window, out);
        break;
    case SDL_MOUSEWHEEL:
        translate_wheel_event(event.wheel, window, out);
        break;
    default:
        break;
    }
}

namespace {

uint32_t window_id_of(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN: case SDL_KEYUP: return event.key.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

std::function<bool(const void*)> event_observer;

void pump_sdl_events() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    std::vector<window_message> translated;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event_observer && event_observer(&event)) continue;
        SDL_Window* window = SDL_GetWindowFromID(window_id_of(event));
        bool minimised = window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
        translate_event(event, window, minimised, translated);
    }
    message_queue.insert(message_queue.end(), translated.begin(), translated.end());
}

}  // namespace

bool peek_message(window_message& out) {
    if (message_queue.empty()) pump_sdl_events();
    if (message_queue.empty()) return false;
    out = message_queue.front();
    message_queue.pop_front();
    return true;
}

void set_event_observer(std::function<bool(const void* event)> observer) { event_observer = std::move(observer); }

void post_quit_message(int exit_code) {
    message_queue.push_back({nullptr, WM_QUIT, uintptr_t(exit_code), 0});
}

void post_message(const window_message& message) { message_queue.push_back(message); }

void clear_message_queue() { message_queue.clear(); }

void set_window_procedure(window_procedure_fn procedure) { registered_procedure = procedure; }

intptr_t send_message(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    if (registered_procedure == nullptr) return default_window_procedure(window, message, wparam, lparam);
    return registered_procedure(window, message, wparam, lparam);
}

intptr_t dispatch_message(const window_message& message) {
    return send_message(message.window, message.message, message.wparam, message.lparam);
}

intptr_t default_window_procedure(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    if (message == WM_SYSKEYDOWN && wparam == VK_F4 && (lparam & key_alt_down_bit) != 0)
        return send_message(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (message == WM_SYSCOMMAND) {
        uintptr_t command = wparam & 0xFFF0;
        if (command == SC_CLOSE) return send_message(window, WM_CLOSE, 0, 0);
        if (command == SC_MINIMIZE && window != nullptr) SDL_MinimizeWindow(window);
    }
    return 0;
}
