// The key-state recorder: the "state.txt" layout and its loader's defences against
// corrupt files, the nearest-row lookup, and the digit keys moving the real music
// (MP3 decoded and played on SDL's silent "dummy" audio driver).
#include "timeline/driver_record.h"
#include "platform/fsound.h"
#include "timeline/frame_driver_services.h"
#include "scratch.h"
#include "timeline/diagnostics.h"
#include "timeline/parts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// The record the diagnostics work on, as the driver hands it.
driver_record state;

key_state_row make_row(double time, std::vector<double> part_times, std::vector<bool> a,
                       std::vector<bool> b) {
    key_state_row row;
    row.time = time;
    row.part_times = std::move(part_times);
    row.flags_a = std::move(a);
    row.flags_b = std::move(b);
    return row;
}

key_state_record load_text(const std::string& text) {
    scratch_folder folder;
    write_text(folder.file("state.txt"), text);
    key_state_record record;
    record.rows.push_back(make_row(1, {}, {}, {}));  // a load always replaces what was there
    load_key_states(record, folder.file("state.txt").c_str());
    return record;
}

TEST(KeyStates, SavedLayout) {
    key_state_record record;
    record.rows.push_back(make_row(140, {1.5, 2.25}, {true, false}, {false, true}));
    record.rows.push_back(make_row(152.5, {}, {}, {}));
    scratch_folder folder;
    save_key_states(record, folder.file("state.txt").c_str());
    EXPECT_EQ(read_text(folder.file("state.txt")), "2\n\n\n140\n2\n1.5 1 0 2.25 0 1 \n\n152.5\n0\n");
}

TEST(KeyStates, SaveThenLoadKeepsSixDigits) {
    key_state_record record;
    record.rows.push_back(make_row(146.123456789, {0.000123456789, 98765.4321, -3.5},
                                   {true, false, true}, {false, false, true}));
    record.rows.push_back(make_row(1234567.0, {2e-9}, {false}, {true}));
    scratch_folder folder;
    save_key_states(record, folder.file("state.txt").c_str());
    key_state_record loaded;
    load_key_states(loaded, folder.file("state.txt").c_str());
    ASSERT_EQ(loaded.rows.size(), record.rows.size());
    for (size_t r = 0; r < record.rows.size(); ++r) {
        const key_state_row& want = record.rows[r];
        const key_state_row& got = loaded.rows[r];
        EXPECT_NEAR(got.time, want.time, std::abs(want.time) * 5e-6);
        ASSERT_EQ(got.part_times.size(), want.part_times.size());
        for (size_t i = 0; i < want.part_times.size(); ++i)
            EXPECT_NEAR(got.part_times[i], want.part_times[i], std::abs(want.part_times[i]) * 5e-6);
        EXPECT_EQ(got.flags_a, want.flags_a);
        EXPECT_EQ(got.flags_b, want.flags_b);
    }
}

TEST(KeyStates, ReadingIgnoresWhitespaceLayout) {
    key_state_record record = load_text("2 140 1 3.5 1 0\t152\n\n2 1 0 1 7 1 1");
    ASSERT_EQ(record.rows.size(), 2u);
    EXPECT_EQ(record.rows[0].part_times, std::vector<double>{3.5});
    EXPECT_EQ(record.rows[1].time, 152);
    EXPECT_EQ(record.rows[1].part_times, (std::vector<double>{1, 7}));
    EXPECT_EQ(record.rows[1].flags_a, (std::vector<bool>{false, true}));
    EXPECT_EQ(record.rows[1].flags_b, (std::vector<bool>{true, true}));
}

TEST(KeyStates, CorruptFilesLeaveTheRecordEmpty) {
    const char* corrupt[] = {
        "",                         // no row count
        "2\n\n\n140\n1\n1.5 1 0 ",  // a row missing
        "1\n\n\n140\n3\n1.5 1 0 ",  // entries missing
        "1\n\n\n140\n1\n1.5 1 ",    // flag missing
        "-1\n",                     // negative row count
        "100001\n",                 // row count over the bound
        "1\n\n\n140\n-2\n",         // negative entry count
        "1\n\n\n140\n1e9\n1 1 1 ",  // entry count over the bound
        "1\n\n\n140\nnan\n",        // entry count not a number
        "1\n\n\n140\n1\n1.5 2 0 ",  // flag neither 0 nor 1
        "99999999999999999999999",  // row count out of range
        "100000\n",                 // a claim of many rows, ending at once
        "1\n\n\n140\n100000\n0 0 0 0 0 0 ",
    };
    for (const char* text : corrupt) EXPECT_TRUE(load_text(text).rows.empty()) << '"' << text << '"';
    key_state_record missing;
    missing.rows.push_back(make_row(1, {}, {}, {}));
    load_key_states(missing, "/nonexistent folder/state.txt");
    EXPECT_TRUE(missing.rows.empty());
}

TEST(KeyStates, SaveIntoAMissingFolderSaysWhy) {
    key_state_record record;
    record.rows.push_back(make_row(140, {}, {}, {}));
    const outcome save = save_key_states(record, "/nonexistent folder/state.txt");
    EXPECT_EQ(save.what, "/nonexistent folder/state.txt");
    EXPECT_EQ(save.reason, "No such file or directory");
    EXPECT_TRUE(save.about_file);
    scratch_folder folder;
    EXPECT_TRUE(save_key_states(record, folder.file("state.txt").c_str()).done());
}

TEST(KeyStates, NearestRowWinsAndEarlierWinsATie) {
    key_state_record record;
    record.rows.push_back(make_row(100, {1}, {true}, {false}));
    record.rows.push_back(make_row(140, {2}, {false}, {true}));
    record.rows.push_back(make_row(152, {3}, {true}, {true}));
    find_key_state(record, 146);  // 6 from both 140 and 152
    EXPECT_EQ(record.working.time, 140);
    EXPECT_EQ(record.working.part_times, std::vector<double>{2});
    find_key_state(record, 147);
    EXPECT_EQ(record.working.time, 152);
    find_key_state(record, -50);
    EXPECT_EQ(record.working.time, 100);

    key_state_record empty;
    empty.working = make_row(9, {9}, {true}, {true});
    find_key_state(empty, 146);
    EXPECT_EQ(empty.working.time, 0);
    EXPECT_TRUE(empty.working.part_times.empty());
}

// Holds a part's time for the recorder to restore.
class timed_part : public parts {
public:
    void draw(FrameTiming*, RenderContext*, PointerState*) override {}
    void init(RenderContext*) override {}
};

std::string silent_mp3(const scratch_folder& folder, int seconds) {
    std::string wav = folder.file("silence.wav");
    std::string mp3 = folder.file("silence.mp3");
    std::string command = "sox -q -n -r 44100 -c 1 -b 16 '" + wav + "' trim 0 " +
                          std::to_string(seconds) + " && lame --quiet -b 64 --resample 44.1 '" + wav + "' '" + mp3 + "'";
    return std::system(command.c_str()) == 0 ? mp3 : std::string();
}

// The music playing on channel 0 (a 170 s silent MP3), with two recorded rows at
// 140 and 152 s and parts in slots 0 and 2.
class DigitJumps : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string mp3 = silent_mp3(folder, 170);
        ASSERT_FALSE(mp3.empty()) << "sox or lame failed";
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
        FSOUND_SAMPLE* music = FSOUND_Sample_Load(FSOUND_FREE, mp3.c_str(), FSOUND_LOOP_NORMAL, 0, 0);
        ASSERT_NE(music, nullptr);
        ASSERT_EQ(FSOUND_PlaySound(0, music), 0);

        state.key_states = key_state_record{};
        state.key_states.rows.push_back(make_row(140, {11, 12, 13}, {false, true, true}, {true, false, true}));
        state.key_states.rows.push_back(make_row(152, {21, 22, 23}, {true, true, true}, {true, true, true}));
        state.part_slots[0] = &main_part;
        state.part_slots[2] = &third_part;
        state.keys.fill(0);
    }
    void TearDown() override {
        FSOUND_Close();
        state.part_slots.fill(nullptr);
        state.keys.fill(0);
    }

    double music_seconds() const { return FSOUND_GetCurrentPosition(0) / 44100.0; }

    scratch_folder folder;
    sound_source sound;  // each call the FSOUND_* call of its name
    timed_part main_part;
    timed_part third_part;
};

TEST_F(DigitJumps, HoldingOneSeeksTo146AndRestoresThe140Row) {
    state.keys['1'] = 1;
    for (int frame = 0; frame < 3; ++frame) {
        run_digit_jumps(state, sound);
        EXPECT_NEAR(music_seconds(), 146.0, 0.25);
        FSOUND_SetCurrentPosition(0, 10 * 44100);  // the music moves on; the held key pulls it back
    }
    EXPECT_EQ(state.key_states.working.time, 140);
    EXPECT_EQ(main_part.part_time, 11);
    EXPECT_EQ(third_part.part_time, 13);
    EXPECT_FALSE(state.pointer_state.flags_a[0]);
    EXPECT_TRUE(state.pointer_state.flags_a[1]);
    EXPECT_TRUE(state.pointer_state.flags_b[0]);
    EXPECT_FALSE(state.pointer_state.flags_b[1]);
}

TEST_F(DigitJumps, LaterDigitsWinWhenSeveralAreHeld) {
    state.keys['0'] = 1;
    state.keys['2'] = 1;
    state.keys['1'] = 1;
    run_digit_jumps(state, sound);
    EXPECT_EQ(state.key_states.working.time, 152);  // nearest to 165
    EXPECT_EQ(main_part.part_time, 21);
    EXPECT_NEAR(music_seconds(), 165.0, 0.25);
}

TEST_F(DigitJumps, WithoutRowsAJumpOnlyMovesTheMusic) {
    state.key_states.rows.clear();
    state.keys['0'] = 1;
    run_digit_jumps(state, sound);
    EXPECT_NEAR(music_seconds(), 25.0, 0.25);
    EXPECT_EQ(main_part.part_time, 0);
}

TEST_F(DigitJumps, EightAndNineDoNothing) {
    state.keys['8'] = 1;
    state.keys['9'] = 1;
    FSOUND_SetCurrentPosition(0, 5 * 44100);
    run_digit_jumps(state, sound);
    EXPECT_NEAR(music_seconds(), 5.0, 0.25);
    EXPECT_EQ(main_part.part_time, 0);
    EXPECT_TRUE(state.key_states.working.part_times.empty());
}

}  // namespace
