// SDL events become the window messages the shell's procedure reads: virtual-key
// codes, Alt turning keys into system keys, wheel deltas of 120 per notch, mouse
// positions, activation with the minimised state, close requests. Also the default
// procedure's close chain, the queue order and the counter. No display needed.
#include "platform/system_services.h"
#include "platform/window_messages.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<window_message> translate(const SDL_Event& event, bool minimised = false) {
    std::vector<window_message> out;
    translate_event(event, nullptr, minimised, out);
    return out;
}

SDL_Event key_event(uint32_t type, SDL_Keycode key, uint16_t modifiers = 0, uint8_t repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    return event;
}

SDL_Event window_event(uint8_t kind, int data1 = 0, int data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event wheel_event(int y, uint32_t direction = SDL_MOUSEWHEEL_NORMAL) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = y;
    event.wheel.direction = direction;
    return event;
}

TEST(VirtualKeys, KeysTheShowReadsGetTheirClassicCodes) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32}, {SDLK_UP, 38}, {SDLK_DOWN, 40}, {SDLK_a, 65}, {SDLK_q, 81},
        {SDLK_0, 48},      {SDLK_7, 55},     {SDLK_F1, 112}, {SDLK_F4, 115}, {SDLK_KP_9, 105}};
    for (const auto& [key, code] : keys) EXPECT_EQ(virtual_key_of(key), code) << SDL_GetKeyName(key);
    EXPECT_EQ(virtual_key_of(SDLK_F13), 0);  // beyond the table: no message
    EXPECT_TRUE(translate(key_event(SDL_KEYDOWN, SDLK_F13)).empty());
}

TEST(EventTranslation, KeysBecomeKeyMessagesAndAltMakesSystemKeys) {
    auto down = translate(key_event(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_EQ(down.size(), 2u);  // Escape also types its control character
    EXPECT_EQ(down[0].message, WM_KEYDOWN);
    EXPECT_EQ(down[0].wparam, 27u);
    EXPECT_EQ(down[0].lparam & (key_was_down_bit | key_released_bit | key_alt_down_bit), 0);

    auto repeat = translate(key_event(SDL_KEYDOWN, SDLK_UP, 0, 1));
    EXPECT_EQ(repeat[0].message, WM_KEYDOWN);
    EXPECT_NE(repeat[0].lparam & key_was_down_bit, 0);

    auto up = translate(key_event(SDL_KEYUP, SDLK_q));
    EXPECT_EQ(up[0].message, WM_KEYUP);
    EXPECT_EQ(up[0].wparam, 81u);
    EXPECT_NE(up[0].lparam & key_released_bit, 0);

    auto alt_f4 = translate(key_event(SDL_KEYDOWN, SDLK_F4, KMOD_LALT));
    EXPECT_EQ(alt_f4[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(alt_f4[0].wparam, 115u);
    EXPECT_NE(alt_f4[0].lparam & key_alt_down_bit, 0);
    EXPECT_EQ(translate(key_event(SDL_KEYUP, SDLK_F4, KMOD_RALT))[0].message, WM_SYSKEYUP);
}

TEST(EventTranslation, KeysThatTypeACharacterAddItOnPressAndRepeat) {
    auto q = translate(key_event(SDL_KEYDOWN, SDLK_q));
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].message, WM_KEYDOWN);
    EXPECT_EQ(q[1].message, WM_CHAR);
    EXPECT_EQ(q[1].wparam, uintptr_t('q'));
    auto repeat = translate(key_event(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT, 1));
    ASSERT_EQ(repeat.size(), 2u);
    EXPECT_EQ(repeat[1].wparam, uintptr_t('A'));
    EXPECT_NE(repeat[1].lparam & key_was_down_bit, 0);
    EXPECT_EQ(translate(key_event(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT | KMOD_CAPS))[1].wparam, uintptr_t('a'));
    EXPECT_EQ(translate(key_event(SDL_KEYDOWN, SDLK_7))[1].wparam, uintptr_t('7'));
    EXPECT_EQ(translate(key_event(SDL_KEYDOWN, SDLK_SPACE))[1].wparam, uintptr_t(' '));
    // Keys that type nothing, releases and Alt combinations: the key message alone.
    for (SDL_Keycode key : {SDLK_UP, SDLK_DOWN, SDLK_F1, SDLK_LSHIFT})
        EXPECT_EQ(translate(key_event(SDL_KEYDOWN, key, 0, 1)).size(), 1u) << SDL_GetKeyName(key);
    EXPECT_EQ(translate(key_event(SDL_KEYUP, SDLK_q)).size(), 1u);
    EXPECT_EQ(translate(key_event(SDL_KEYDOWN, SDLK_q, KMOD_LALT)).size(), 1u);
}

TEST(EventTranslation, WheelGivesOneHundredTwentyPerNotchSigned) {
    auto up = translate(wheel_event(1));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(signed_high_word(up[0].wparam), 120);
    EXPECT_EQ(signed_high_word(translate(wheel_event(-2))[0].wparam), -240);
    EXPECT_EQ(signed_high_word(translate(wheel_event(3, SDL_MOUSEWHEEL_FLIPPED))[0].wparam), -360);
    EXPECT_TRUE(translate(wheel_event(0)).empty());  // sideways only
}

TEST(EventTranslation, MouseMessagesCarryClientPositionAndButtons) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 640;
    motion.motion.y = 360;
    motion.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK;
    auto moved = translate(motion);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(low_word(uintptr_t(moved[0].lparam)), 640u);
    EXPECT_EQ(high_word(uintptr_t(moved[0].lparam)), 360u);
    EXPECT_EQ(moved[0].wparam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON), MK_LBUTTON | MK_MBUTTON);

    const std::pair<uint8_t, std::pair<uint32_t, uint32_t>> buttons[] = {
        {SDL_BUTTON_LEFT, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {SDL_BUTTON_RIGHT, {WM_RBUTTONDOWN, WM_RBUTTONUP}},
        {SDL_BUTTON_MIDDLE, {WM_MBUTTONDOWN, WM_MBUTTONUP}}};
    for (const auto& [button, messages] : buttons) {
        SDL_Event press{};
        press.type = SDL_MOUSEBUTTONDOWN;
        press.button.button = button;
        press.button.x = 3;
        press.button.y = 4;
        EXPECT_EQ(translate(press)[0].message, messages.first);
        EXPECT_EQ(translate(press)[0].lparam, intptr_t(3 | (4 << 16)));
        press.type = SDL_MOUSEBUTTONUP;
        EXPECT_EQ(translate(press)[0].message, messages.second);
    }
    SDL_Event extra{};
    extra.type = SDL_MOUSEBUTTONDOWN;
    extra.button.button = SDL_BUTTON_X1;
    EXPECT_TRUE(translate(extra).empty());
}

TEST(EventTranslation, WindowEventsBecomeSizeActivationAndClose) {
    auto size = translate(window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 1280, 720));
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(size[0].message, WM_SIZE);
    EXPECT_EQ(low_word(uintptr_t(size[0].lparam)), 1280u);
    EXPECT_EQ(high_word(uintptr_t(size[0].lparam)), 720u);

    auto minimised = translate(window_event(SDL_WINDOWEVENT_MINIMIZED));
    EXPECT_EQ(minimised[0].message, WM_ACTIVATE);
    EXPECT_NE(high_word(minimised[0].wparam), 0u);
    auto restored = translate(window_event(SDL_WINDOWEVENT_RESTORED));
    EXPECT_EQ(restored[0].wparam, WA_ACTIVE);
    auto lost = translate(window_event(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_EQ(lost[0].wparam, WA_INACTIVE);
    auto lost_minimised = translate(window_event(SDL_WINDOWEVENT_FOCUS_LOST), true);
    EXPECT_EQ(high_word(lost_minimised[0].wparam), 1u);
    EXPECT_EQ(low_word(translate(window_event(SDL_WINDOWEVENT_FOCUS_GAINED))[0].wparam), WA_ACTIVE);

    EXPECT_EQ(translate(window_event(SDL_WINDOWEVENT_CLOSE))[0].message, WM_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(translate(quit)[0].message, WM_CLOSE);
    EXPECT_TRUE(translate(window_event(SDL_WINDOWEVENT_EXPOSED)).empty());
}

std::vector<uint32_t> procedure_log;
intptr_t logging_procedure(SDL_Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    procedure_log.push_back(message);
    if (message == WM_CLOSE) {
        post_quit_message(0);
        return 0;
    }
    return default_window_procedure(window, message, wparam, lparam);
}

TEST(MessageQueue, DefaultProcedureTurnsAltF4IntoCloseAndQueueKeepsOrder) {
    clear_message_queue();
    procedure_log.clear();
    set_window_procedure(logging_procedure);
    post_message({nullptr, WM_KEYDOWN, 'A', 1});
    post_message({nullptr, WM_SYSKEYDOWN, VK_F4, 1 | key_alt_down_bit});
    window_message message;
    while (peek_message(message) && message.message != WM_QUIT) dispatch_message(message);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_EQ(procedure_log, (std::vector<uint32_t>{WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE}));
    EXPECT_FALSE(peek_message(message));
    EXPECT_EQ(default_window_procedure(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    set_window_procedure(nullptr);
}

TEST(Counter, RunsForwardAtItsStatedRate) {
    int64_t frequency = performance_frequency();
    ASSERT_GT(frequency, 0);
    int64_t first = performance_counter();
    SDL_Delay(20);
    int64_t second = performance_counter();
    double seconds = double(second - first) / double(frequency);
    EXPECT_GE(seconds, 0.019);
    EXPECT_LT(seconds, 5.0);
}

}  // namespace
