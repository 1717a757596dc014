// The mixer on hand-made samples: linear resampling of a half-rate sample, mono
// spread to both sides, volume and clipping, and the heard position around a mixed
// buffer (latency, seeks, wrap-round).
#include "platform/sound_mixer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

FSOUND_SAMPLE ramp_sample(int rate, int channels, std::vector<int16_t> frames, bool loop) {
    FSOUND_SAMPLE sample;
    sample.sound.rate = rate;
    sample.sound.channels = channels;
    sample.sound.frames = std::move(frames);
    sample.loop = loop;
    return sample;
}

struct mixed {
    std::vector<int16_t> out;
    std::vector<float> mono;
};

mixed mix(std::vector<sound_channel>& channels, int frames) {
    mixed result{std::vector<int16_t>(size_t(2 * frames)), std::vector<float>(size_t(frames))};
    mark_channels(channels);
    // In two pieces, as a late audio thread mixes: the marks stay at the start.
    const int first = frames / 2;
    mix_channels(channels, first, result.out.data(), result.mono.data());
    mix_channels(channels, frames - first, result.out.data() + 2 * first, result.mono.data() + first);
    return result;
}

}  // namespace

TEST(SoundMixer, HalfRateMonoIsInterpolatedAndSpreadToBothSides) {
    const FSOUND_SAMPLE sample = ramp_sample(22050, 1, {0, 1000, 2000, 3000}, false);
    std::vector<sound_channel> channels(2);
    start_channel(channels[0], sample, 44100);
    EXPECT_EQ(channels[0].frequency, 22050);
    const mixed result = mix(channels, 6);
    const std::vector<int16_t> expected{0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500};
    EXPECT_EQ(result.out, expected);
    EXPECT_FLOAT_EQ(result.mono[2], 1000.0f / 32768.0f);
}

TEST(SoundMixer, VolumeScalesAndChannelsAdd) {
    const FSOUND_SAMPLE sample = ramp_sample(44100, 2, {10000, -10000, 10000, -10000}, true);
    std::vector<sound_channel> channels(2);
    start_channel(channels[0], sample, 44100);
    start_channel(channels[1], sample, 44100);
    channels[1].volume = 0;
    EXPECT_EQ(mix(channels, 2).out, (std::vector<int16_t>{10000, -10000, 10000, -10000}));
    channels[1].volume = 255;
    EXPECT_EQ(mix(channels, 1).out, (std::vector<int16_t>{20000, -20000}));
    channels[1].volume = 128;
    EXPECT_EQ(mix(channels, 1).out, (std::vector<int16_t>{15020, -15020}));
    const FSOUND_SAMPLE loud = ramp_sample(44100, 2, {30000, -30000}, true);
    start_channel(channels[1], loud, 44100);
    EXPECT_EQ(mix(channels, 1).out, (std::vector<int16_t>{32767, -32768}));  // clipped, not wrapped
}

TEST(SoundMixer, HeardPositionAllowsForLatencyAndNeverPrecedesTheSeek) {
    const FSOUND_SAMPLE sample = ramp_sample(44100, 1, std::vector<int16_t>(44100, 0), true);
    std::vector<sound_channel> channels(1);
    start_channel(channels[0], sample, 44100);
    EXPECT_EQ(heard_position(channels[0], 5000.0), 0.0);  // nothing mixed since the start
    mix(channels, 1024);  // first buffer: frames 0..1023
    mix(channels, 1024);  // second buffer, mark at source frame 1024
    // A device one buffer late: 100 frames into the second buffer's time the
    // listener is 100 frames into the first buffer.
    const output_mark mark{1024, 1024.0 - 1024.0, 2048.0 - 1024.0};
    EXPECT_NEAR(heard_position(channels[0], heard_offset(mark, 100.0 / 44100.0, 44100)), 100.0, 1e-6);
    EXPECT_NEAR(heard_position(channels[0], heard_offset(mark, 1.0, 44100)), 1024.0, 1e-6);  // capped

    ASSERT_TRUE(seek_channel(channels[0], 30000));
    EXPECT_EQ(heard_position(channels[0], 500.0), 30000.0);  // not mixed yet: where it was put
    mix(channels, 1024);
    EXPECT_EQ(heard_position(channels[0], -1024.0), 30000.0);  // the older buffer still plays
    EXPECT_EQ(heard_position(channels[0], 10.0), 30010.0);
    EXPECT_FALSE(seek_channel(channels[0], 44100));

    ASSERT_TRUE(seek_channel(channels[0], 44000));
    mix(channels, 1024);
    mix(channels, 1024);  // wrapped past the end: mark at (44000 + 1024) mod 44100 = 924
    EXPECT_NEAR(heard_position(channels[0], -200.0), 724.0, 1e-6);
    EXPECT_NEAR(heard_position(channels[0], -1100.0), 44000.0, 1e-6);  // back across the wrap, to the seek
}

TEST(SoundMixer, FinishedOneShotStaysAtItsEnd) {
    const FSOUND_SAMPLE sample = ramp_sample(44100, 1, std::vector<int16_t>(3000, 0), false);
    std::vector<sound_channel> channels(1);
    start_channel(channels[0], sample, 44100);
    mix(channels, 1024);
    mix(channels, 1024);
    mix(channels, 1024);  // runs out at 3000, 72 frames before this buffer ends
    EXPECT_NEAR(heard_position(channels[0], 1000.0), 3000.0, 1e-6);
    mix(channels, 1024);  // a buffer of silence: the mark sits at the end
    // The listener is still in the buffer before, yet the position never steps back.
    EXPECT_EQ(heard_position(channels[0], -10.0), 3000.0);
    EXPECT_EQ(heard_position(channels[0], 500.0), 3000.0);
}

// Paused at the frame being heard, a channel mixes silence and reports that frame,
// also after a seek; resumed, it plays on from there. Its held window is the sample
// up to that frame, as heard (both sides, at its volume).
TEST(SoundMixer, PausedChannelHoldsItsPositionAndItsLastFrames) {
    const FSOUND_SAMPLE sample = ramp_sample(44100, 2, {100, 300, 1000, 3000, 5000, 7000, 9000, 11000}, false);
    std::vector<sound_channel> channels(1);
    start_channel(channels[0], sample, 44100);
    mix(channels, 1);
    pause_channel(channels[0], 2.0);
    const mixed silent = mix(channels, 2);
    EXPECT_EQ(silent.out, std::vector<int16_t>(4, 0));
    EXPECT_EQ(heard_position(channels[0], 2.0), 2.0);

    float window[3] = {9.0f, 9.0f, 9.0f};
    channels[0].volume = 51;  // a fifth
    held_window(channels[0], window, 3);
    EXPECT_FLOAT_EQ(window[0], 0.0f);  // before the sample's start
    EXPECT_FLOAT_EQ(window[1], 80.0f / 65536.0f);
    EXPECT_FLOAT_EQ(window[2], 800.0f / 65536.0f);

    ASSERT_TRUE(seek_channel(channels[0], 3));
    mix(channels, 1);
    EXPECT_EQ(heard_position(channels[0], 1.0), 3.0);
    channels[0].volume = 255;
    resume_channel(channels[0]);
    const mixed resumed = mix(channels, 1);
    EXPECT_EQ(resumed.out, (std::vector<int16_t>{9000, 11000}));
}
