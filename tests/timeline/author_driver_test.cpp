// Author mode in the frame driver, with a fake counter and sound source: a seek
// steps both clocks from the start and sets the music exactly, a pause holds the
// clock and the music, a loop wraps within one frame, and the end holds.
#include "driver_doubles.h"
#include "tests/support/gl_test_context.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_step.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class AuthorDriver : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl();
    driver_rig rig;

    const FrameTiming& last_timing() const { return rig.part->timings.back(); }
};

constexpr double frame_seconds = 0.02;

}  // namespace

TEST_F(AuthorDriver, SeekStepsBothClocksFromTheStartAndSetsTheMusicExactly) {
    rig.start_show(40.0, true);
    rig.frame(frame_seconds);
    record.drift_correction = 0;  // as the music's end leaves it
    seek_show(103.0);
    EXPECT_EQ(rig.part->clock_resets, 1);
    ASSERT_EQ(rig.part->clock_steps.size(), 6180u);  // 103 s of 1/60 s frames
    EXPECT_TRUE(std::all_of(rig.part->clock_steps.begin(), rig.part->clock_steps.end(),
                            [](double step) { return step == 1.0 / 60.0; }));
    EXPECT_NEAR(record.frame_timing.demo_time, 103.0, 1e-9);
    EXPECT_EQ(rig.sound.seeks.back(), 103u * 44100u);
    EXPECT_EQ(record.drift_correction, 1);

    // The music is where the picture is: the correction finds nothing to pull.
    rig.music_at(103.0);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().step, frame_seconds, 1e-6);
    EXPECT_NEAR(last_timing().demo_time, 103.0 + frame_seconds, 1e-6);

    seek_show(400.0);  // kept within the show
    EXPECT_NEAR(record.frame_timing.demo_time, 291.0, 1e-9);
    EXPECT_EQ(rig.sound.seeks.back(), 291u * 44100u);
}

TEST_F(AuthorDriver, PauseHoldsTheClockAndTheMusicAndTheFrameIsStillDrawn) {
    record.author = 1;
    rig.start_show(50.0, true);
    rig.frame(frame_seconds);
    const double held = record.frame_timing.demo_time;
    pause_show(true);
    EXPECT_TRUE(rig.sound.paused);
    EXPECT_EQ(rig.sound.seeks.back(), seek_sample(held));  // the music waits at the picture's time
    const size_t steps_before = rig.part->clock_steps.size();
    for (int i = 0; i < 3; ++i) rig.frame(0.5);
    EXPECT_EQ(rig.part->timings.size(), 4u);
    EXPECT_EQ(last_timing().step, 0.0);
    EXPECT_EQ(last_timing().demo_time, held);
    EXPECT_EQ(rig.part->clock_steps.size(), steps_before);  // draw handles the part clock

    pause_show(false);
    EXPECT_FALSE(rig.sound.paused);
    rig.music_at(held);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().demo_time, held + frame_seconds, 1e-6);
}

TEST_F(AuthorDriver, LoopWrapsWithinOneFrameWithTheMusic) {
    record.author = 1;
    record.loop_from = 10.0;
    record.loop_to = 12.0;
    rig.start_show(11.97, true);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().demo_time, 11.99, 1e-6);
    rig.music_at(11.99);
    rig.frame(frame_seconds);  // would reach 12.01: drawn at the loop's start instead
    EXPECT_NEAR(last_timing().demo_time, 10.0, 1e-9);
    EXPECT_EQ(rig.sound.seeks.back(), 10u * 44100u);
    rig.music_at(10.0);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().demo_time, 10.0 + frame_seconds, 1e-6);
}

TEST_F(AuthorDriver, TheEndHoldsThePictureInsteadOfEndingTheShow) {
    record.author = 1;
    rig.start_show(290.99, true);
    rig.music_at(290.99);
    rig.frame(frame_seconds);
    rig.frame(frame_seconds);
    EXPECT_TRUE(rig.exits.empty());
    EXPECT_FALSE(rig.part_deleted);
    EXPECT_EQ(record.paused, 1);
    EXPECT_NEAR(last_timing().demo_time, 291.0, 1e-9);
}

TEST_F(AuthorDriver, ClosingFadeAtTheLoopsEndIsNotWrappedAway) {
    record.author = 1;
    record.loop_from = 10.0;
    record.loop_to = 12.0;
    rig.start_show(11.99, true);
    rig.music_at(11.99);
    record.fade_started = 1;
    record.fade_start_time = 11.99;
    rig.frame(frame_seconds);  // reaches 12.01: the fade ends the show there
    EXPECT_EQ(rig.exits, std::vector<int>{0});
}
