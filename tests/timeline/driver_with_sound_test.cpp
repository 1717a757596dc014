// The frame driver on the real sound layer (SDL's silent "dummy" output) and the
// real counter: demo_init starts a generated soundtrack from the music folder of
// the working directory, and the demo clock follows the music position, also after
// it has been knocked a second off.
#include "driver_doubles.h"
#include "platform/fsound.h"
#include "platform/system_services.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/sound_fixtures.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

namespace {

// A working folder holding only "music/Tolvek - Velmoria.mp3": six seconds of a
// 1000 Hz sine.
class DriverWithSound : public ::testing::Test {
protected:
    void SetUp() override {
        previous_folder = std::filesystem::current_path();
        const std::string mp3 = make_sine_mp3("soundtrack_sine_1000hz_6s.mp3", 1000.0, 6.0, 44100, 2);
        ASSERT_FALSE(mp3.empty());
        enter_show_folder(mp3);
        use_audio_driver("dummy");
        frame_driver_services& services = driver_services();
        services.sound = &real_sound;
        services.counter = performance_counter;
        services.counter_frequency = performance_frequency;
    }
    void TearDown() override {
        FSOUND_Close();
        std::filesystem::current_path(previous_folder);
    }

    // Drives frames about every 10 ms until the music has played to `music_time`
    // (a generous 60 s at most: a loaded machine's audio thread may lag); whether
    // it got there.
    bool run_until_music_at(double music_time) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (record.music_time < music_time && std::chrono::steady_clock::now() < end && rig.exits.empty()) {
            rig.drive();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return record.music_time >= music_time;
    }

    // Drives `count` frames about 10 ms apart.
    void run_frames(int count) {
        for (int i = 0; i < count && rig.exits.empty(); ++i) {
            rig.drive();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    gl_test::GlTestContext& gl = shared_gl();
    driver_rig rig;
    sound_source real_sound;  // each call the FSOUND_* call of its name
    std::filesystem::path previous_folder;
};

}  // namespace

TEST_F(DriverWithSound, DemoClockFollowsTheMusicAndItsSpectrum) {
    rig.init();
    ASSERT_TRUE(rig.exits.empty()) << (rig.messages.empty() ? "" : rig.messages[0]);
    ASSERT_TRUE(run_until_music_at(0.8));
    ASSERT_TRUE(rig.exits.empty());
    run_frames(10);
    EXPECT_GT(record.frame_timing.demo_time, 0.8);
    EXPECT_NEAR(record.frame_timing.demo_time, record.music_time, 0.05);

    const auto& spectrum = record.pointer_state.spectrum;
    const auto peak = std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin();
    EXPECT_NEAR(double(peak), 1000.0 * 1024 / 44100, 1.0);
}

TEST_F(DriverWithSound, ClockKnockedASecondOffIsPulledBack) {
    rig.init();
    ASSERT_TRUE(run_until_music_at(0.3));
    record.frame_timing.demo_time += 1.0;
    rig.drive();
    EXPECT_GT(record.frame_timing.demo_time - record.music_time, 0.8);
    run_frames(100);  // each frame takes a tenth of the gap away
    EXPECT_NEAR(record.frame_timing.demo_time, record.music_time, 0.05);
}

// Held, the real music stops where the picture is and its spectrum stays that of
// the last frames heard; a seek sets the position exactly; let go, both go on.
TEST_F(DriverWithSound, PauseHoldsTheMusicAndASeekSetsItExactly) {
    record.author = 1;
    rig.init();
    ASSERT_TRUE(run_until_music_at(0.3));
    pause_show(true);
    const double held = record.frame_timing.demo_time;
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), seek_sample(held));
    run_frames(40);
    EXPECT_EQ(record.frame_timing.demo_time, held);
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), seek_sample(held));
    const auto& spectrum = record.pointer_state.spectrum;
    const auto peak = std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin();
    EXPECT_NEAR(double(peak), 1000.0 * 1024 / 44100, 1.0);

    seek_show(3.0);
    EXPECT_EQ(FSOUND_GetCurrentPosition(0), 3u * 44100u);
    run_frames(20);
    EXPECT_NEAR(record.frame_timing.demo_time, 3.0, 1e-9);
    pause_show(false);
    ASSERT_TRUE(run_until_music_at(3.3));
    run_frames(10);
    EXPECT_GT(record.frame_timing.demo_time, 3.3);
    EXPECT_NEAR(record.frame_timing.demo_time, record.music_time, 0.05);
}
