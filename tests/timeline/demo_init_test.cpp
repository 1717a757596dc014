// demo_init with a fake sound source: the order of the sound calls, the records
// it prepares for the first frame, a later start, and the two sound failures,
// which end the process with code 1.
#include "app/app_record.h"
#include "driver_doubles.h"
#include "tests/support/gl_test_context.h"
#include "timeline/frame_driver.h"
#include "timeline/part_loader.h"

#include <gtest/gtest.h>

namespace {

class DemoInit : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl();
    driver_rig rig;
};

}  // namespace

TEST_F(DemoInit, LoadsThePartsAndStartsTheLoopingMusicWithItsSpectrum) {
    app.pointer_state.adjust_updown = 3.0;
    app.pointer_state.flags_b[4] = true;
    app.clip_text = "left over";
    demo_init();
    EXPECT_TRUE(rig.exits.empty());
    EXPECT_EQ(rig.sound.calls, (std::vector<std::string>{"init", "load", "set_mode", "fft_unit", "set_active",
                                                          "play", "set_position"}));
    EXPECT_EQ(rig.sound.loop_mode, 2u);
    EXPECT_TRUE(rig.sound.fft_active);
    EXPECT_EQ(rig.sound.seeks, std::vector<uint32_t>{0});
    EXPECT_NE(app.music_sample, nullptr);

    ASSERT_NE(dynamic_cast<part_loader*>(app.loader_part), nullptr);
    ASSERT_EQ(app.part_slots[0], rig.part);
    EXPECT_EQ(rig.part->inits, 1);
    EXPECT_EQ(rig.part->active_flag, 1);
    EXPECT_TRUE(std::all_of(app.part_slots.begin() + 1, app.part_slots.end(), [](parts* p) { return !p; }));
    EXPECT_EQ(rig.swaps, 2);
    EXPECT_NE(app.render_context.pointer, nullptr);
    EXPECT_NE(app.render_context.ms_fbo[0], 0u);
    EXPECT_NE(app.render_context.ms_fbo[1], 0u);

    EXPECT_EQ(app.frame_timing.demo_time, 0.0);
    EXPECT_EQ(app.frame_timing.clock_reference, 0.0);  // the fake counter stood still
    EXPECT_TRUE(app.clip_text.empty());
    EXPECT_EQ(app.pointer_state.adjust_updown, 0.0);
    EXPECT_FALSE(app.pointer_state.flags_b[4]);
    EXPECT_TRUE(app.pointer_state.flags_a[0]);
    EXPECT_TRUE(rig.part->clock_steps.empty());  // no later start asked for
}

TEST_F(DemoInit, LaterStartStepsBothClocksThereAndSeeksTheMusic) {
    app.start_time = 100.0;
    demo_init();
    EXPECT_NEAR(app.frame_timing.demo_time, 100.0, 1e-6);
    ASSERT_EQ(rig.part->clock_steps.size(), 6000u);  // the part's clock at the show's 60 Hz step
    EXPECT_NEAR(rig.part->clock_steps.front(), 1.0 / 60.0, 1e-12);
    EXPECT_EQ(rig.sound.seeks, (std::vector<uint32_t>{0, 100 * 44100}));
    EXPECT_TRUE(rig.part->timings.empty());  // nothing drawn on the way

    rig.music_at(100.0);
    rig.frame(0.016);
    EXPECT_NEAR(rig.part->timings.back().step, 0.016, 1e-9);  // in step with the music at once
    EXPECT_NEAR(rig.part->timings.back().demo_time, 100.016, 1e-9);
}

TEST_F(DemoInit, SoundOffNeverTouchesTheSoundLibrary) {
    app.sound_on = 0;
    demo_init();
    EXPECT_TRUE(rig.sound.calls.empty());
    EXPECT_TRUE(rig.exits.empty());
    EXPECT_EQ(rig.part->active_flag, 1);
}

TEST_F(DemoInit, SoundLibraryFailureShowsItsBoxAndExitsWithOne) {
    rig.sound.init_succeeds = false;
    demo_init();
    EXPECT_EQ(rig.messages, std::vector<std::string>{"KRV  |Problem initializing FMod. \nProgram will now exit."});
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    EXPECT_EQ(rig.sound.count("load"), 0);
}

TEST_F(DemoInit, MissingMusicFileShowsItsBoxAndExitsWithOne) {
    rig.sound.load_succeeds = false;
    demo_init();
    EXPECT_EQ(rig.messages, std::vector<std::string>{"KRV |Problem initializing FMod. \nNo sound file."});
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    EXPECT_EQ(rig.sound.count("play"), 0);
}

// Loading takes two seconds (a second per loading swap) and the music is already
// half a second in when the first frame runs: the loading time is not a step,
// and the step is pulled a tenth of the lead toward the music at once.
TEST_F(DemoInit, FirstFrameAfterInitFollowsTheMusicClock) {
    rig.swap_ticks = 1000000;  // loading takes a second per swap
    demo_init();
    rig.music_at(0.5);
    rig.frame(0.016);
    EXPECT_NEAR(rig.part->timings.back().step, 0.016 + 0.05, 1e-6);
    EXPECT_NEAR(rig.part->timings.back().demo_time, 0.066, 1e-6);
    EXPECT_EQ(app.frame_counter, 1);
}
