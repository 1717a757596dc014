// The message loop's rules on a scripted platform: the fade starts once on a held
// Escape, also while inactive; F1 counts for one idle pass; every idle pass swaps;
// the quit message ends the loop with its code, and so does a frame that ended the
// show, with zero.
#include "app/app_record.h"
#include "app/message_loop.h"
#include "app/window_procedure.h"
#include "timeline/frame_driver.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// Scripted messages first, then idle passes; the frame driver advances the demo
// clock by 0.1 s per frame and the loop ends after `passes_before_quit` swaps.
struct fake_platform {
    std::deque<window_message> messages;
    std::vector<std::string> calls;
    int passes_before_quit = 1;
    int swaps = 0;
    int frames = 0;
    int show_ends_at_frame = 0;  // the frame that ends the show; 0: none does
    std::vector<uint8_t> f1_seen_in_frames;

    loop_platform hooks() {
        loop_platform platform;
        platform.peek = [this](window_message& message) {
            if (messages.empty()) return false;
            message = messages.front();
            messages.pop_front();
            return true;
        };
        platform.dispatch = [this](const window_message& message) {
            calls.push_back("dispatch " + std::to_string(message.message));
            return window_procedure(message.window, message.message, message.wparam, message.lparam);
        };
        platform.drive_frame = [this] {
            calls.push_back("frame");
            ++frames;
            f1_seen_in_frames.push_back(app.keys[VK_F1]);
            app.frame_timing.demo_time += 0.1;
            return frames != show_ends_at_frame;
        };
        platform.swap_buffers = [this] {
            calls.push_back("swap");
            if (++swaps == passes_before_quit) messages.push_back({nullptr, WM_QUIT, 0, 0});
        };
        return platform;
    }
};

class MessageLoop : public ::testing::Test {
protected:
    void SetUp() override {
        hand_driver_record(app);  // as the entry does: the fade's start goes through the driver
        app.keys.fill(0);
        app.active = 1;
        app.fade_started = 0;
        app.escape_pressed = 0;
        app.fade_start_time = 0.0;
        app.frame_timing = FrameTiming();
        app.frame_timing.demo_time = 5.0;
    }
};

TEST_F(MessageLoop, HeldEscapeStartsTheFadeOnceAndKeepsTheFirstTime) {
    fake_platform fake;
    fake.passes_before_quit = 4;
    fake.messages.push_back({nullptr, WM_KEYDOWN, VK_ESCAPE, 1});
    EXPECT_EQ(run_message_loop(fake.hooks()), 0);
    EXPECT_EQ(fake.frames, 4);
    EXPECT_EQ(app.fade_started, 1);
    EXPECT_DOUBLE_EQ(app.fade_start_time, 5.1);  // demo time after the first frame
    EXPECT_DOUBLE_EQ(app.frame_timing.demo_time, 5.4);
}

// Escape down in the key table alone, without a fresh press (held since before the
// last pass), starts the fade at the next idle pass.
TEST_F(MessageLoop, EscapeHeldInTheKeyTableStartsTheFade) {
    app.keys[VK_ESCAPE] = 1;
    fake_platform fake;
    idle_pass(fake.hooks());
    EXPECT_EQ(app.fade_started, 1);
    EXPECT_DOUBLE_EQ(app.fade_start_time, 5.1);
}

TEST_F(MessageLoop, EscapeWhileInactiveStartsTheFadeWithoutAFrame) {
    fake_platform fake;
    fake.messages.push_back({nullptr, WM_ACTIVATE, make_param(WA_INACTIVE, 1), 0});
    fake.messages.push_back({nullptr, WM_KEYDOWN, VK_ESCAPE, 1});
    EXPECT_EQ(run_message_loop(fake.hooks()), 0);
    EXPECT_EQ(app.active, 0);
    EXPECT_EQ(fake.frames, 0);
    EXPECT_EQ(app.fade_started, 1);
    EXPECT_DOUBLE_EQ(app.fade_start_time, 5.0);
}

TEST_F(MessageLoop, EscapeTappedWithinOneSlowFrameStillStartsTheFade) {
    fake_platform fake;
    fake.messages.push_back({nullptr, WM_KEYDOWN, VK_ESCAPE, 1});
    fake.messages.push_back({nullptr, WM_KEYUP, VK_ESCAPE, 1});
    EXPECT_EQ(run_message_loop(fake.hooks()), 0);
    EXPECT_EQ(app.keys[VK_ESCAPE], 0);
    EXPECT_EQ(app.fade_started, 1);
    EXPECT_EQ(app.escape_pressed, 0);  // consumed by the pass
}

TEST_F(MessageLoop, HeldF1IsSeenForOneIdlePassOnly) {
    fake_platform fake;
    fake.passes_before_quit = 3;
    fake.messages.push_back({nullptr, WM_KEYDOWN, VK_F1, 1});
    run_message_loop(fake.hooks());
    EXPECT_EQ(fake.f1_seen_in_frames, (std::vector<uint8_t>{1, 0, 0}));
    EXPECT_EQ(app.keys[VK_F1], 0);
    app.keys['Q'] = 1;  // other keys stay held across passes
    fake_platform again;
    idle_pass(again.hooks());
    EXPECT_EQ(app.keys['Q'], 1);
}

TEST_F(MessageLoop, EveryIdlePassSwapsActiveOrNotAndMessagesDoNot) {
    fake_platform fake;
    fake.passes_before_quit = 2;
    fake.messages.push_back({nullptr, WM_MOUSEMOVE, 0, 0});
    fake.messages.push_back({nullptr, WM_KEYDOWN, 'Q', 1});
    run_message_loop(fake.hooks());
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"dispatch 512", "dispatch 256", "frame", "swap", "frame", "swap"}));

    app.active = 0;
    fake_platform idle;
    idle.passes_before_quit = 3;
    run_message_loop(idle.hooks());
    EXPECT_EQ(idle.calls, (std::vector<std::string>{"swap", "swap", "swap"}));
}

// The frame that ends the show ends the loop at once with the normal exit code:
// nothing is drawn over it and it is not swapped.
TEST_F(MessageLoop, AFrameThatEndsTheShowEndsTheLoopBeforeItsSwap) {
    fake_platform fake;
    fake.passes_before_quit = 10;
    fake.show_ends_at_frame = 2;
    loop_platform platform = fake.hooks();
    platform.draw_overlay = [&fake] { fake.calls.push_back("overlay"); };
    EXPECT_EQ(run_message_loop(platform), 0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"frame", "overlay", "swap", "frame"}));
}

TEST_F(MessageLoop, QuitEndsTheLoopWithItsCodeBeforeLaterMessages) {
    fake_platform fake;
    fake.messages.push_back({nullptr, WM_KEYDOWN, 'A', 1});
    fake.messages.push_back({nullptr, WM_QUIT, 3, 0});
    fake.messages.push_back({nullptr, WM_KEYDOWN, 'Q', 1});
    EXPECT_EQ(run_message_loop(fake.hooks()), 3);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"dispatch 256"}));
    EXPECT_EQ(app.keys['Q'], 0);
}

TEST_F(MessageLoop, WindowCloseThroughTheRealQueueEndsWithZero) {
    clear_message_queue();
    set_window_procedure(window_procedure);
    fake_platform fake;
    loop_platform platform = fake.hooks();
    platform.peek = [](window_message& message) { return peek_message(message); };
    platform.dispatch = [](const window_message& message) { return dispatch_message(message); };
    post_message({nullptr, WM_CLOSE, 0, 0});
    EXPECT_EQ(run_message_loop(platform), 0);
    EXPECT_EQ(fake.swaps, 0);  // the quit was already waiting: no idle pass ran
    set_window_procedure(nullptr);
}

}  // namespace
