// The frame driver's arithmetic on its edges: seeds past 32 bits and below zero,
// a channel without a frequency, the correction's cut-offs, and the letterbox.
#include "timeline/frame_step.h"

#include <gtest/gtest.h>

TEST(FrameStep, SeedIsTheLowWordOfMicroseconds) {
    EXPECT_EQ(frame_seed(0.0), 0u);
    EXPECT_EQ(frame_seed(1.5), 1500000u);
    EXPECT_EQ(frame_seed(5000.123456), uint32_t(5000123456ull & 0xffffffffull));
    EXPECT_EQ(frame_seed(0.0000019), 1u);                // truncated toward zero
    EXPECT_EQ(frame_seed(-0.0000019), 0xffffffffu);      // -1 in two's complement
    EXPECT_EQ(frame_seed(-2.0), uint32_t(-2000000));
}

TEST(FrameStep, MusicReadingNeedsAFrequency) {
    EXPECT_FALSE(read_music(44100, 441000, 0).has_value());
    const auto music = read_music(88200, 441000, 44100);
    ASSERT_TRUE(music.has_value());
    EXPECT_EQ(music->position, 2.0);
    EXPECT_EQ(music->length, 10.0);
}

// Music shorter than the show is said in whole seconds; the whole show is not.
TEST(FrameStep, ShortMusicSaysHowFarItGoes) {
    EXPECT_EQ(short_music_reason(149.9), "the music ends at 149 s of the 291 s the show needs");
    EXPECT_EQ(short_music_reason(290.99), "the music ends at 290 s of the 291 s the show needs");
    EXPECT_EQ(short_music_reason(show_end_time), "");
    EXPECT_EQ(short_music_reason(298.0), "");
}

TEST(FrameStep, CorrectionEdges) {
    uint8_t on = 1;
    const music_reading early{101.0, 300.0};
    EXPECT_NEAR(corrected_step(0.02, 100.0, early, on), 0.12, 1e-12);
    EXPECT_NEAR(corrected_step(0.02, 230.0, music_reading{231.0, 300.0}, on), 0.12, 1e-12);  // 230 itself still corrects
    EXPECT_EQ(corrected_step(0.02, 230.001, music_reading{231.0, 300.0}, on), 0.02);
    EXPECT_NEAR(corrected_step(0.02, 225.0, music_reading{295.0, 300.0}, on), 7.02, 1e-9);  // exactly 5 s left: still on
    EXPECT_EQ(on, 1);
    EXPECT_EQ(corrected_step(0.02, 100.0, music_reading{295.01, 300.0}, on), 0.02);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(corrected_step(0.02, 100.0, early, on), 0.02);
}

TEST(StartPicture, ForcedWidePictureIsCentredOnlyFullScreen) {
    EXPECT_EQ(picture_offset_y(1024, 720, true, true), 152);
    EXPECT_EQ(picture_offset_y(1024, 720, false, true), 0);
    EXPECT_EQ(picture_offset_y(1024, 720, true, false), 0);
    EXPECT_EQ(picture_offset_y(720, 720, true, true), 0);
    EXPECT_EQ(picture_offset_y(1025, 720, true, true), 152);
}
