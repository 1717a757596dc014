// The diagnostics as the frame driver switches them on: the key-state record and
// the logs opened at start, the frame rate recorded and the digit jumps run every
// frame, and the key-state record saved only while the closing fade runs. Each
// test works in a scratch folder, where the show's relative paths land.
#include "driver_doubles.h"
#include "scratch.h"
#include "timeline/frame_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Two rows, at 140 and 152 seconds, each with one part entry.
constexpr const char* two_rows = "2\n\n\n140\n1\n11 1 0 \n\n152\n1\n21 0 1 ";

class DriverDiagnostics : public ::testing::Test {
protected:
    gl_test::GlTestContext& gl = shared_gl();
    scratch_folder folder{true};
    driver_rig rig;
};

}  // namespace

TEST_F(DriverDiagnostics, SwitchedOnTheyLoadAtStartAndRecordEveryFrame) {
    write_text("state.txt", two_rows);
    std::filesystem::create_directories("c:/logs");
    rig.swap_ticks = 1000000;  // loading takes a second per swap
    record.play_keys = 1;
    record.frame_log = 1;
    record.asset_list = 1;
    record.sound_on = 0;
    rig.init();
    ASSERT_EQ(record.key_states.rows.size(), 2u);
    EXPECT_EQ(record.key_states.rows[1].time, 152.0);
    EXPECT_EQ(record.key_states.rows[1].part_times, std::vector<double>{21.0});
    EXPECT_FALSE(record.frame_log_record.failed) << "the frame log is open";
    ASSERT_EQ(record.frame_log_record.slots.size(), 2400u) << "240 s in tenths";
    const std::string assets = read_text("c:/3dsjpglist4.txt");
    EXPECT_NE(assets.find("Loadtime :2\n"), std::string::npos) << assets;

    record.keys['1'] = 1;  // jump to 146: the 140 row is nearest
    rig.frame(0.02);
    EXPECT_NEAR(record.frame_log_record.slots[0].rate, 50.0, 1e-6);
    EXPECT_EQ(record.key_states.working.time, 140.0);
    EXPECT_EQ(rig.part->part_time, 11.0);
    record.keys['1'] = 0;
}

TEST_F(DriverDiagnostics, SwitchedOffTheyTouchNothing) {
    write_text("state.txt", two_rows);
    std::filesystem::create_directories("c:/logs");
    record.sound_on = 0;
    rig.init();
    EXPECT_TRUE(record.key_states.rows.empty());
    EXPECT_TRUE(record.frame_log_record.failed);
    record.key_states.rows.resize(1);
    record.key_states.rows[0].time = 140.0;
    record.key_states.rows[0].part_times = {11.0};
    record.keys['1'] = 1;
    record.fade_started = 1;
    record.fade_rate = 0.8;
    rig.frame(0.02);
    record.keys['1'] = 0;
    EXPECT_TRUE(record.key_states.working.part_times.empty()) << "no jump";
    EXPECT_EQ(rig.part->part_time, 0.0);
    EXPECT_FALSE(std::filesystem::exists("c:/logs/orvalith2.log"));
    EXPECT_FALSE(std::filesystem::exists("c:/3dsjpglist4.txt"));
    EXPECT_EQ(read_text("state.txt"), two_rows) << "not saved over";
}

TEST_F(DriverDiagnostics, RecordIsSavedOnEveryFadeFrameAndNotBefore) {
    rig.start_show(10.0, false);
    record.record_keys = 1;
    record.key_states.rows.resize(1);
    record.key_states.rows[0].time = 140.0;
    rig.frame(0.02);
    EXPECT_FALSE(std::filesystem::exists("state.txt")) << "no fade yet";

    record.fade_started = 1;
    record.fade_start_time = record.frame_timing.demo_time;
    record.fade_rate = 0.8;
    rig.frame(0.1);
    EXPECT_EQ(read_text("state.txt"), "1\n\n\n140\n0\n");
    record.key_states.rows[0].time = 150.0;
    rig.frame(0.1);
    EXPECT_EQ(read_text("state.txt"), "1\n\n\n150\n0\n") << "written again on the next fade frame";
    EXPECT_TRUE(rig.exits.empty());
}

TEST_F(DriverDiagnostics, AKeyStateSaveThatFailsIsSaidOnce) {
    rig.start_show(10.0, false);
    record.record_keys = 1;
    record.key_states.rows.resize(1);
    std::filesystem::create_directory("state.txt");  // nothing can be written there
    record.fade_started = 1;
    record.fade_start_time = record.frame_timing.demo_time;
    record.fade_rate = 0.1;
    testing::internal::CaptureStderr();
    rig.frame(0.1);
    rig.frame(0.1);
    const std::string said = testing::internal::GetCapturedStderr();
    const size_t first = said.find(": state.txt: Is a directory (");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(first, said.rfind(": state.txt: ")) << "said once: " << said;
    EXPECT_NE(said.find("; the key states are not saved\n"), std::string::npos) << said;
    EXPECT_TRUE(rig.exits.empty());
}
