// demo_init with a fake sound source: the order of the sound calls, the records
// it prepares for the first frame, a later start, and the failures of the sound,
// the music and the main part's loading, each returned with its box and code 1.
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
    record.pointer_state.adjust_updown = 3.0;
    record.pointer_state.flags_b[4] = true;
    record.clip_text = "left over";
    rig.init();
    EXPECT_TRUE(rig.exits.empty());
    EXPECT_EQ(rig.sound.calls, (std::vector<std::string>{"init", "load", "set_mode", "fft_unit", "set_active",
                                                          "play", "set_position"}));
    EXPECT_EQ(rig.sound.loop_mode, 2u);
    EXPECT_TRUE(rig.sound.fft_active);
    EXPECT_EQ(rig.sound.seeks, std::vector<uint32_t>{0});
    EXPECT_NE(record.music_sample, nullptr);

    ASSERT_NE(dynamic_cast<part_loader*>(record.loader_part), nullptr);
    ASSERT_EQ(record.part_slots[0], rig.part);
    EXPECT_EQ(rig.part->inits, 1);
    EXPECT_EQ(rig.part->active_flag, 1);
    EXPECT_TRUE(std::all_of(record.part_slots.begin() + 1, record.part_slots.end(), [](parts* p) { return !p; }));
    EXPECT_EQ(rig.swaps, 2);
    EXPECT_NE(record.render_context.pointer, nullptr);
    EXPECT_NE(record.render_context.ms_fbo[0], 0u);
    EXPECT_NE(record.render_context.ms_fbo[1], 0u);

    EXPECT_EQ(record.frame_timing.demo_time, 0.0);
    EXPECT_EQ(record.frame_timing.clock_reference, 0.0);  // the fake counter stood still
    EXPECT_TRUE(record.clip_text.empty());
    EXPECT_EQ(record.pointer_state.adjust_updown, 0.0);
    EXPECT_FALSE(record.pointer_state.flags_b[4]);
    EXPECT_TRUE(record.pointer_state.flags_a[0]);
    EXPECT_TRUE(rig.part->clock_steps.empty());  // no later start asked for
}

TEST_F(DemoInit, LaterStartStepsBothClocksThereAndSeeksTheMusic) {
    record.start_time = 100.0;
    rig.init();
    EXPECT_NEAR(record.frame_timing.demo_time, 100.0, 1e-6);
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
    record.sound_on = 0;
    rig.init();
    EXPECT_TRUE(rig.sound.calls.empty());
    EXPECT_TRUE(rig.exits.empty());
    EXPECT_EQ(rig.part->active_flag, 1);
}

TEST_F(DemoInit, SoundLibraryFailureReturnsItsBoxAndExitCodeOne) {
    rig.sound.init_succeeds = false;
    rig.init();
    EXPECT_EQ(rig.messages, std::vector<std::string>{"KRV  |Problem initializing FMod. \nProgram will now exit."});
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_TRUE(rig.problems[0].done());  // the sound layer gave no reason: the box says it all
    EXPECT_EQ(rig.sound.count("load"), 0);
}

TEST_F(DemoInit, MissingMusicFileReturnsTheFileItsReasonAndItsBox) {
    rig.sound.load_succeeds = false;
    rig.sound.failure_reason = "No such file or directory";
    rig.init();
    EXPECT_EQ(rig.messages, std::vector<std::string>{"KRV |Problem initializing FMod. \nNo sound file."});
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_EQ(rig.problems[0].what, "music//Tolvek - Velmoria.mp3");
    EXPECT_EQ(rig.problems[0].reason, "No such file or directory");
    EXPECT_EQ(rig.sound.count("play"), 0);
}

// No channel left to play on: the music cannot start, so neither can the show;
// no seek goes to the channel that does not exist.
TEST_F(DemoInit, MusicWithoutAChannelFailsTheStart) {
    rig.sound.music_channel = -1;
    rig.init();
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_EQ(rig.problems[0].reason, "no free sound channel to play it on");
    EXPECT_EQ(rig.sound.count("set_position"), 0);
}

// A part that cannot load what the show needs ends the loading there: its problem
// and box come back, and the music is never started.
TEST_F(DemoInit, APartThatFailsToLoadReturnsItsProblemAndBox) {
    driver_services().make_main_part = [this]() -> parts* {
        rig.part = new recording_part;
        rig.part->deleted = &rig.part_deleted;
        rig.part->problem_at_init = outcome::file_failed("textures/noise.jpg", "No such file or directory", "Jpg");
        return rig.part;
    };
    rig.init();
    EXPECT_EQ(rig.exits, std::vector<int>{1});
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Jpg|textures/noise.jpg"});
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_EQ(rig.problems[0].reason, "No such file or directory");
    EXPECT_TRUE(rig.sound.calls.empty());
    EXPECT_EQ(rig.part->active_flag, 0);
}

// Loading takes two seconds (a second per loading swap) and the music is already
// half a second in when the first frame runs: the loading time is not a step,
// and the step is pulled a tenth of the lead toward the music at once.
TEST_F(DemoInit, FirstFrameAfterInitFollowsTheMusicClock) {
    rig.swap_ticks = 1000000;  // loading takes a second per swap
    rig.init();
    rig.music_at(0.5);
    rig.frame(0.016);
    EXPECT_NEAR(rig.part->timings.back().step, 0.016 + 0.05, 1e-6);
    EXPECT_NEAR(rig.part->timings.back().demo_time, 0.066, 1e-6);
    EXPECT_EQ(record.frame_counter, 1);
}
