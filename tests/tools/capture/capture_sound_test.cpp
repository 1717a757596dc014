// The capture tool's sound source on real MP3 decoding: position and length in
// samples of the decoded music, and a spectrum that follows the demo time.
#include "tests/support/sound_fixtures.h"
#include "tools/capture/capture_sound.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int peak_bin(const float* spectrum) { return int(std::max_element(spectrum, spectrum + spectrum_bins) - spectrum); }

float loudest(const float* spectrum) { return *std::max_element(spectrum, spectrum + spectrum_bins); }

TEST(CaptureSound, PositionAndSpectrumFollowTheDemoTime) {
    const std::string tone = make_sine_mp3("tone_1k_2s", 1000.0, 2.0, 44100, 2);
    ASSERT_FALSE(tone.empty());
    double now = 1.0;
    capture_sound sound([&now] { return now; });
    ASSERT_NE(sound.load(tone.c_str(), 304), nullptr);
    ASSERT_TRUE(sound.has_music());
    EXPECT_EQ(sound.frequency(0), 44100);
    EXPECT_EQ(sound.position(0), 44100u);
    EXPECT_NEAR(double(sound.length(nullptr)), 88200.0, 2000.0);

    const float* spectrum = sound.spectrum();
    EXPECT_NEAR(peak_bin(spectrum), 1000.0 * 1024.0 / 44100.0, 1.0);  // bin 23
    EXPECT_GT(loudest(spectrum), 0.3f);

    now = 3.0;  // past the music's end: silence
    EXPECT_LT(loudest(sound.spectrum()), 1e-3f);
    now = 0.0;  // nothing heard yet
    EXPECT_LT(loudest(sound.spectrum()), 1e-3f);
}

// The run ends as the show's would: no sample, and the reason kept for the driver,
// which returns it to the tool's main to say.
TEST(CaptureSound, MusicThatCannotBeOpenedGivesNoSampleAndKeepsWhy) {
    capture_sound sound([] { return 10.0; });
    EXPECT_EQ(sound.load("/no such folder/music.mp3", 304), nullptr);
    EXPECT_EQ(sound.problem(), "No such file or directory");
    EXPECT_EQ(sound.load("/", 304), nullptr);
    EXPECT_EQ(sound.problem(), "is a folder");
    EXPECT_FALSE(sound.has_music());
}

}  // namespace
