// The frame driver's arithmetic on its edges: seeds past 32 bits and below zero,
// sample counts with the top bit set, a channel without a frequency, the
// correction's cut-offs and the start-point table.
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

TEST(FrameStep, SampleCountsAreUnsigned) {
    EXPECT_EQ(sample_count(0x80000000u), 2147483648.0);
    EXPECT_EQ(sample_count(0xffffffffu), 4294967295.0);
    EXPECT_EQ(sample_count(44100u), 44100.0);
}

TEST(FrameStep, MusicReadingNeedsAFrequency) {
    EXPECT_FALSE(read_music(44100, 441000, 0).has_value());
    const auto music = read_music(88200, 441000, 44100);
    ASSERT_TRUE(music.has_value());
    EXPECT_EQ(music->position, 2.0);
    EXPECT_EQ(music->length, 10.0);
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

TEST(FrameStep, FadeAndStartPoints) {
    EXPECT_EQ(fade_amount(10.0, 10.0, 0.8), 0.0);
    EXPECT_EQ(fade_amount(9.0, 10.0, 0.8), 0.0);
    EXPECT_DOUBLE_EQ(fade_amount(10.625, 10.0, 0.8), 0.5);
    EXPECT_EQ(fade_amount(12.0, 10.0, 0.8), 1.0);
    EXPECT_EQ(fade_volume(0.0), 255);
    EXPECT_EQ(fade_volume(0.5), 127);  // 127.5 truncated
    EXPECT_EQ(fade_volume(1.0), 0);
    EXPECT_EQ(start_point_time(1, 3.0), 32.2);
    EXPECT_EQ(start_point_time(4, 3.0), 209.0);
    EXPECT_EQ(start_point_time(5, 3.0), 296.88);
    EXPECT_EQ(start_point_time(0, 3.0), 3.0);
    EXPECT_EQ(start_point_time(9, 3.0), 3.0);
}
