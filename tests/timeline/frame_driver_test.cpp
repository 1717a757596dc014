// drive_frame with a fake counter and a fake sound source: the measured step and
// its pull toward the music, the correction's cut-offs, the per-frame generator
// seed, the pointer record, start points, the end of the show and the closing fade.
#include "driver_doubles.h"
#include "platform/show_random.h"
#include "tests/support/gl_test_context.h"
#include "timeline/frame_driver.h"

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace {

class FrameDriver : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl();
    driver_rig rig;

    const FrameTiming& last_timing() const { return rig.part->timings.back(); }
    const PointerState& last_pointer() const { return rig.part->pointers.back(); }
};

constexpr double frame_seconds = 0.02;

}  // namespace

TEST_F(FrameDriver, SoundOffStepIsTheMeasuredDifferenceAndSpectrumStaysZero) {
    rig.sound.spectrum_values.fill(0.75f);
    rig.start_show(10.0, false);
    rig.music_at(50.0);  // far ahead, but not polled with the sound off
    rig.frame(frame_seconds);
    rig.frame(0.5);
    ASSERT_EQ(rig.part->timings.size(), 2u);
    EXPECT_NEAR(rig.part->timings[0].step, frame_seconds, 1e-9);
    EXPECT_NEAR(rig.part->timings[1].step, 0.5, 1e-9);
    EXPECT_NEAR(last_timing().demo_time, 10.52, 1e-9);
    EXPECT_EQ(last_pointer().demo_time, last_timing().demo_time);
    EXPECT_TRUE(std::all_of(last_pointer().spectrum.begin(), last_pointer().spectrum.end(),
                            [](float v) { return v == 0.0f; }));
    EXPECT_EQ(rig.sound.polls, 0);
    EXPECT_EQ(record.frame_counter, 2);
}

TEST_F(FrameDriver, MusicOneSecondAheadAddsATenthBefore230AndNothingAfter) {
    rig.start_show(100.0, true);
    rig.music_at(101.0);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().step, frame_seconds + 0.1, 1e-6);
    EXPECT_NEAR(record.music_time, 101.0, 1e-4);

    rig.music_at(record.frame_timing.demo_time - 1.0);  // now a second behind
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().step, frame_seconds - 0.1, 1e-6);

    record.frame_timing.demo_time = 230.5;
    rig.music_at(120.0);
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().step, frame_seconds, 1e-9);
    EXPECT_EQ(record.drift_correction, 1);
}

TEST_F(FrameDriver, LastFiveSecondsOfTheSampleSwitchCorrectionOffForGood) {
    rig.sound.sample_length = 200 * 44100;
    rig.start_show(190.0, true);
    rig.music_at(195.5);
    rig.frame(frame_seconds);
    EXPECT_EQ(record.drift_correction, 0);
    EXPECT_NEAR(last_timing().step, frame_seconds, 1e-9);

    record.frame_timing.demo_time = 50.0;
    rig.music_at(10.0);  // the loop wrapped to the start
    rig.frame(frame_seconds);
    EXPECT_NEAR(last_timing().step, frame_seconds, 1e-9);
    EXPECT_EQ(record.drift_correction, 0);
}

TEST_F(FrameDriver, NegativeStepIsClampedBeforeTheCorrectionIsAdded) {
    rig.start_show(60.0, true);
    rig.music_at(59.0);
    rig.frame(-0.25);  // the counter went backwards
    EXPECT_NEAR(last_timing().step, -0.1, 1e-6);
    EXPECT_NEAR(last_timing().demo_time, 59.9, 1e-6);

    rig.start_show(60.0, false);
    rig.frame(-0.25);
    EXPECT_EQ(rig.part->timings.back().step, 0.0);
}

TEST_F(FrameDriver, SameDemoTimeGivesTheSameRandomSequence) {
    const double demo_time = 150.123456;
    rig.start_show(demo_time, true);
    rig.frame(frame_seconds);
    const auto first = rig.part->random_draws.back();

    show_srand(uint32_t(uint64_t(int64_t(demo_time * 1000000.0))));
    for (int i = 0; i < 50; ++i) show_rand();
    for (int value : first) EXPECT_EQ(value, show_rand());

    show_srand(12345);  // whatever the generator did in between
    record.frame_timing.demo_time = demo_time;
    rig.frame(0.3);
    EXPECT_EQ(rig.part->random_draws.back(), first);

    record.frame_timing.demo_time = demo_time + 0.001;
    rig.frame(frame_seconds);
    EXPECT_NE(rig.part->random_draws.back(), first);
}

TEST_F(FrameDriver, PointerRecordMapsTheCursorAndCopiesInputAndSpectrum) {
    for (size_t i = 0; i < rig.sound.spectrum_values.size(); ++i) rig.sound.spectrum_values[i] = float(i) / 512.0f;
    rig.start_show(1.0, true);
    record.keys[65] = 1;
    record.keys[255] = 1;
    record.wheel_total = 2.5;
    record.wheel_notches = -3;
    record.left_button = 1;
    rig.frame(frame_seconds);
    EXPECT_EQ(last_pointer().pointer_x, 0.0);
    EXPECT_EQ(last_pointer().pointer_y, 0.0);
    EXPECT_EQ(last_pointer().key_states[65], 1);
    EXPECT_EQ(last_pointer().key_states[255], 1);
    EXPECT_EQ(last_pointer().key_states[66], 0);
    EXPECT_EQ(last_pointer().wheel, 2.5);
    EXPECT_EQ(last_pointer().wheel_notches, -3);
    EXPECT_EQ(last_pointer().left_button, 1);
    EXPECT_EQ(last_pointer().right_button, 0);
    EXPECT_EQ(last_pointer().spectrum[100], 100.0f / 512.0f);

    rig.cursor_x = 800;
    rig.cursor_y = 600;
    rig.frame(frame_seconds);
    EXPECT_EQ(last_pointer().pointer_x, 7.0);
    EXPECT_EQ(last_pointer().pointer_y, 7.0);
}

TEST_F(FrameDriver, StartPointJumpsOnTheFirstFrameOnly) {
    record.start_point = 2;
    rig.start_show(0.0, true);
    rig.frame(frame_seconds);
    EXPECT_DOUBLE_EQ(record.frame_timing.demo_time, 74.1);
    ASSERT_EQ(rig.sound.seeks.size(), 1u);
    EXPECT_EQ(rig.sound.seeks[0], uint32_t(74.1 * 44100));
    rig.frame(frame_seconds);
    EXPECT_EQ(rig.sound.seeks.size(), 1u);
}

TEST_F(FrameDriver, UnknownStartPointKeepsTheTimeButStillSeeks) {
    record.start_point = 0;
    rig.start_show(0.0, false);
    rig.frame(0.5);
    EXPECT_NEAR(record.frame_timing.demo_time, 0.5, 1e-9);
    ASSERT_EQ(rig.sound.seeks.size(), 1u);
    EXPECT_EQ(rig.sound.seeks[0], 22050u);
}

TEST_F(FrameDriver, PastTheEndExitsWithZeroBeforeTheFade) {
    rig.start_show(290.99, true);
    record.fade_started = 1;
    record.fade_start_time = 200.0;
    rig.frame(frame_seconds);
    EXPECT_EQ(rig.exits, std::vector<int>{0});
    EXPECT_EQ(rig.sound.count("close"), 1);
    EXPECT_TRUE(rig.part_deleted);
    EXPECT_EQ(record.part_slots[0], nullptr);
    EXPECT_EQ(rig.notes_handed_over, 0);  // the fade never ran
    EXPECT_TRUE(rig.sound.volumes.empty());
}

TEST_F(FrameDriver, StartPointFiveEndsTheShowOnTheFirstFrame) {
    record.start_point = 5;
    rig.start_show(0.0, false);
    rig.frame(frame_seconds);
    EXPECT_EQ(rig.exits, std::vector<int>{0});
    EXPECT_EQ(rig.sound.count("close"), 1);  // harmless with the sound off
}

TEST_F(FrameDriver, FadeAtRate08TakesOneQuarterSecondsWithALinearVolume) {
    rig.start_show(10.0, true);
    rig.sound.position_source = [] { return uint32_t(std::llround(record.frame_timing.demo_time * 44100.0)); };
    record.fade_rate = 0.8;
    record.fade_started = 1;
    record.fade_start_time = 10.0;
    record.clip_text = "note\n";
    const double step = 0.05;
    int frames = 0;
    while (rig.exits.empty() && frames < 100) {
        rig.frame(step);
        ++frames;
    }
    EXPECT_EQ(frames, 25);  // 25 x 0.05 s = 1.25 s
    EXPECT_NEAR(record.frame_timing.demo_time - record.fade_start_time, 1.25, 1e-6);
    ASSERT_EQ(rig.sound.volumes.size(), 25u);
    for (int k = 0; k < 25; ++k) {
        const double amount = std::min(1.0, (k + 1) * step * 0.8);
        EXPECT_NEAR(rig.sound.volumes[size_t(k)], 255.0 - 255.0 * amount, 1.0) << "frame " << k;
    }
    EXPECT_EQ(rig.sound.volumes.back(), 0);
    EXPECT_EQ(rig.exits, std::vector<int>{0});
    EXPECT_EQ(rig.notes_handed_over, 1);
    EXPECT_EQ(rig.sound.count("close"), 1);
    EXPECT_TRUE(rig.part_deleted);
}

// A sound call the layer refuses is said once, naming it and the channel, and the
// show goes on; with the sound off nothing is said.
TEST_F(FrameDriver, ARefusedSoundCallIsSaidOnceAndTheShowGoesOn) {
    rig.start_show(10.0, true);
    rig.sound.position_source = [] { return uint32_t(std::llround(record.frame_timing.demo_time * 44100.0)); };
    rig.sound.setters_succeed = false;
    record.fade_rate = 0.1;
    record.fade_started = 1;
    record.fade_start_time = 10.0;
    testing::internal::CaptureStderr();
    rig.frame(0.05);
    rig.frame(0.05);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velmoria: sound: fading the music was refused on channel 3; the show goes on\n");
    EXPECT_EQ(rig.sound.volumes.size(), 2u);
    EXPECT_TRUE(rig.exits.empty());
}

TEST_F(FrameDriver, WithTheSoundOffARefusedSoundCallIsNotSaid) {
    rig.start_show(0.0, false);
    record.music_channel = 0;  // the sound never started: the fake's music is on 3
    record.start_point = 0;    // seeks the music on the first frame, sound or not
    testing::internal::CaptureStderr();
    rig.frame(0.5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(rig.sound.count("set_position"), 1);
}

TEST_F(FrameDriver, FadeAtTheStartRateEndsOnTheNextFrame) {
    rig.start_show(42.0, false);
    record.fade_started = 1;
    record.fade_start_time = 42.0;
    rig.frame(frame_seconds);
    EXPECT_EQ(rig.exits, std::vector<int>{0});
    EXPECT_EQ(rig.notes_handed_over, 1);
    EXPECT_EQ(rig.sound.count("close"), 0);  // the sound is off: never closed here
    EXPECT_TRUE(rig.sound.volumes.empty());
}

// The overlay quad lies at depth -3 under an identity projection, outside the clip
// volume: the fade frame leaves the picture as it was and restores the GL state.
TEST_F(FrameDriver, FadeOverlayLeavesThePictureAndTheGlStateAsFound) {
    rig.start_show(10.0, false);
    record.fade_rate = 0.8;
    record.fade_started = 1;
    record.fade_start_time = 10.0;
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    rig.frame(0.625);  // amount 0.5
    ASSERT_TRUE(rig.exits.empty());
    const auto centre = gl.pixel(32, 32);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));  // switched off only inside the saved attributes
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint blend_destination = 0;
    glGetIntegerv(GL_BLEND_DST, &blend_destination);
    EXPECT_EQ(blend_destination, GL_ONE);  // the frame's blend function, not the overlay's
    EXPECT_EQ(gl_test::GlTestContext::first_error(), GLenum(GL_NO_ERROR));
}
