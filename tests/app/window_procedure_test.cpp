// The window procedure driven by synthetic messages, without a display: wheel sums,
// the adjustment values (held Q and A through their character messages), the
// swallowed system commands, close, activation, buttons and the middle-click note.
#include "app/app_record.h"
#include "app/window_procedure.h"
#include "platform/window_messages.h"

#include <SDL2/SDL_events.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class WindowProcedure : public ::testing::Test {
protected:
    void SetUp() override {
        app.keys.fill(0);
        app.wheel_notches = 0;
        app.wheel_total = 0.0;
        app.active = 1;
        app.left_button = 0;
        app.right_button = 0;
        app.clip_text.clear();
        app.frame_timing.step = 0.02;
        app.pointer_state = PointerState();
        app.render_context.frame_camera.eye = vector3::of(0, 2, 0);
        clear_message_queue();
        set_window_procedure(window_procedure);
    }
    void TearDown() override { set_window_procedure(nullptr); clear_message_queue(); }

    static intptr_t send(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0) {
        return window_procedure(nullptr, message, wparam, lparam);
    }
    static void wheel(int delta) { send(WM_MOUSEWHEEL, make_param(0, uint32_t(uint16_t(int16_t(delta))))); }
};

TEST_F(WindowProcedure, WheelCountsWholeNotchesAndSumsDeltaOverSixHundred) {
    wheel(120);
    EXPECT_EQ(app.wheel_notches, 1);
    EXPECT_DOUBLE_EQ(app.wheel_total, 0.2);
    wheel(60);  // half a notch: no whole notch, but the total moves
    EXPECT_EQ(app.wheel_notches, 1);
    EXPECT_DOUBLE_EQ(app.wheel_total, 0.30000000000000004);
    wheel(-240);
    EXPECT_EQ(app.wheel_notches, -1);
    EXPECT_NEAR(app.wheel_total, -0.1, 1e-15);
    wheel(-60);  // toward zero per message, not floor
    EXPECT_EQ(app.wheel_notches, -1);
    EXPECT_NEAR(app.wheel_total, -0.2, 1e-15);
    EXPECT_EQ(send(WM_MOUSEWHEEL, make_param(0, 120)), 0);
}

TEST_F(WindowProcedure, HeldKeysMoveAdjustmentsOncePerMouseMessageOnly) {
    send(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(app.keys[VK_UP], 1);
    EXPECT_DOUBLE_EQ(app.pointer_state.adjust_updown, 0.0);  // the key message itself moves nothing
    send(WM_MOUSEMOVE);
    send(WM_MOUSEMOVE);
    send(WM_LBUTTONDOWN);
    EXPECT_NEAR(app.pointer_state.adjust_updown, 3 * 1.5 * 0.02, 1e-12);
    send(WM_KEYDOWN, VK_UP);  // autorepeat
    send(WM_KEYUP, 'X');
    EXPECT_NEAR(app.pointer_state.adjust_updown, 3 * 1.5 * 0.02, 1e-12);
    send(WM_KEYUP, VK_UP);
    send(WM_KEYDOWN, VK_DOWN);
    send(WM_KEYDOWN, 'Q');
    send(WM_MOUSEMOVE);
    EXPECT_NEAR(app.pointer_state.adjust_updown, 2 * 1.5 * 0.02, 1e-12);
    EXPECT_NEAR(app.pointer_state.adjust_qa, 0.02, 1e-12);
    send(WM_KEYUP, 'Q');
    send(WM_KEYDOWN, 'A');
    app.frame_timing.step = 0.5;
    send(WM_MOUSEMOVE);
    EXPECT_NEAR(app.pointer_state.adjust_qa, 0.02 - 0.5, 1e-12);
    EXPECT_NEAR(app.pointer_state.adjust_updown, 2 * 1.5 * 0.02 - 0.75, 1e-12);
}

TEST_F(WindowProcedure, HeldQAndAMoveTheTrimWithTheMouseStill) {
    // Key presses and their repeats as the SDL layer translates them: each one that
    // types a character adds a character message, which reaches default handling.
    auto press = [](SDL_Keycode key, uint8_t repeat) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.type = SDL_KEYDOWN;
        event.key.repeat = repeat;
        event.key.keysym.sym = key;
        std::vector<window_message> messages;
        translate_event(event, nullptr, false, messages);
        for (const window_message& m : messages) dispatch_message(m);
    };
    press(SDLK_q, 0);
    press(SDLK_q, 1);
    press(SDLK_q, 1);
    EXPECT_NEAR(app.pointer_state.adjust_qa, 3 * 0.02, 1e-12);
    send(WM_KEYUP, 'Q');
    press(SDLK_a, 0);
    EXPECT_NEAR(app.pointer_state.adjust_qa, 2 * 0.02, 1e-12);
    send(WM_KEYUP, 'A');
    press(SDLK_UP, 0);  // types nothing: Up still needs the mouse
    press(SDLK_UP, 1);
    EXPECT_DOUBLE_EQ(app.pointer_state.adjust_updown, 0.0);
}

TEST_F(WindowProcedure, ScreenSaverAndExactMonitorPowerCommandsAreSwallowed) {
    send(WM_KEYDOWN, VK_UP);
    app.frame_timing.step = 1.0;
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_DOUBLE_EQ(app.pointer_state.adjust_updown, 0.0);
    send(WM_SYSCOMMAND, SC_MONITORPOWER | 1);  // low bits set: default handling
    EXPECT_DOUBLE_EQ(app.pointer_state.adjust_updown, 1.5);
    window_message message;
    EXPECT_FALSE(peek_message(message));
}

TEST_F(WindowProcedure, CloseAndAltF4PostQuitWithZero) {
    EXPECT_EQ(send(WM_CLOSE), 0);
    window_message message;
    ASSERT_TRUE(peek_message(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wparam, 0u);
    EXPECT_FALSE(peek_message(message));

    send(WM_SYSKEYDOWN, VK_F4, 1 | key_alt_down_bit);  // Alt+F4 through the default handling
    ASSERT_TRUE(peek_message(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(app.keys[VK_F4], 0);  // a system key is not a key-table key
    send(WM_SYSKEYDOWN, VK_F4, 1);  // F4 without Alt closes nothing
    EXPECT_FALSE(peek_message(message));
}

TEST_F(WindowProcedure, ActivationFollowsMinimisedStateNotFocus) {
    send(WM_ACTIVATE, make_param(WA_ACTIVE, 1));
    EXPECT_EQ(app.active, 0);
    send(WM_ACTIVATE, make_param(WA_ACTIVE, 0));
    EXPECT_EQ(app.active, 1);
    send(WM_ACTIVATE, make_param(WA_INACTIVE, 0));  // focus lost, not minimised
    EXPECT_EQ(app.active, 1);
    send(WM_ACTIVATE, make_param(WA_INACTIVE, 1));
    EXPECT_EQ(app.active, 0);
}

TEST_F(WindowProcedure, ButtonsAndKeyTable) {
    send(WM_LBUTTONDOWN);
    send(WM_RBUTTONDOWN);
    EXPECT_EQ(app.left_button, 1);
    EXPECT_EQ(app.right_button, 1);
    send(WM_LBUTTONUP);
    EXPECT_EQ(app.left_button, 0);
    EXPECT_EQ(app.right_button, 1);
    send(WM_RBUTTONUP);
    EXPECT_EQ(app.right_button, 0);
    send(WM_KEYDOWN, VK_ESCAPE);
    send(WM_KEYDOWN, VK_F1);
    EXPECT_EQ(app.keys[VK_ESCAPE], 1);
    EXPECT_EQ(app.keys[VK_F1], 1);
    send(WM_KEYUP, VK_ESCAPE);
    EXPECT_EQ(app.keys[VK_ESCAPE], 0);
}

TEST_F(WindowProcedure, EachMiddleClickAppendsThreeLinesInSixDigitGeneralFormat) {
    app.pointer_state.pointer_x = 1.5;
    app.pointer_state.pointer_y = -0.25;
    app.pointer_state.wheel = 0.2;
    app.pointer_state.mark_point = {1234567.0, 0.1, 1.0 / 3.0};
    app.render_context.frame_camera.eye = vector3::of(0.0001f, 2.0f, -3.5f);
    send(WM_MBUTTONDOWN);
    EXPECT_EQ(app.clip_text,
              "Cam :1.5,-0.25,0.2  \n"
              "Pnt :1.23457e+06,0.1,0.333333  \n \n"
              "MCr :0.0001,2,-3.5  \n \n");
    ASSERT_EQ(app.pointer_state.marked_points.size(), 1u);
    EXPECT_EQ(app.pointer_state.marked_points[0], vector3(1, 1234567.0f, 0.1f, float(1.0 / 3.0)));

    app.clip_text.clear();
    app.pointer_state = PointerState();
    send(WM_MBUTTONDOWN);
    send(WM_MBUTTONUP);  // the release adds nothing
    app.pointer_state.pointer_x = 7;
    send(WM_MBUTTONDOWN);
    EXPECT_EQ(app.clip_text,
              "Cam :0,0,0  \nPnt :0,0,0  \n \nMCr :0.0001,2,-3.5  \n \n"
              "Cam :7,0,0  \nPnt :0,0,0  \n \nMCr :0.0001,2,-3.5  \n \n");
}

}  // namespace
