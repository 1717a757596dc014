// The mix measurements on signals with known answers: the correlation and side/mid
// of mixed tones, the octave bands of two tones, the ebur128 summary reading and the
// bounds a mix must meet.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/compose/measure.h"

namespace compose {
namespace {

constexpr int rate = 44100;

// Left = a + b and right = a - b for tones a (1 kHz) and b (2 kHz, half as loud):
// mid is a, side is b.
void tone_pair(std::vector<float>& left, std::vector<float>& right) {
  for (int i = 0; i < 30 * rate; ++i) {
    double a = std::sin(2 * M_PI * 1000.0 * i / rate), b = 0.5 * std::sin(2 * M_PI * 2000.0 * i / rate);
    left.push_back(static_cast<float>(a + b)), right.push_back(static_cast<float>(a - b));
  }
}

TEST(MixFigures, WidthAndBandsOfKnownTones) {
  std::vector<float> left, right;
  tone_pair(left, right);
  StereoFigures f = stereo_figures(left, right, rate, 5.0, 25.0);
  EXPECT_NEAR(f.side_to_mid_db, -6.02, 0.05);
  EXPECT_NEAR(f.correlation, 0.6, 0.005);  // (1 - 1/4) / (1 + 1/4)
  EXPECT_NEAR(f.bands_db[5], 0.0, 1e-9);
  EXPECT_NEAR(f.bands_db[6], -6.02, 0.1);
  EXPECT_LT(f.bands_db[8], -60.0);
  StereoFigures mono = stereo_figures(left, left, rate, 5.0, 25.0);
  EXPECT_NEAR(mono.correlation, 1.0, 1e-9);
  EXPECT_LT(mono.side_to_mid_db, -100.0);
}

const char* const summary = R"([Parsed_ebur128_0 @ 0x1] Summary:

  Integrated loudness:
    I:         -14.4 LUFS
    Threshold: -24.5 LUFS

  Loudness range:
    LRA:         6.8 LU
    Threshold: -34.5 LUFS
    LRA low:   -19.5 LUFS
    LRA high:  -12.7 LUFS

  Sample peak:
    Peak:       -1.8 dBFS
)";

TEST(MixFigures, ReadsTheEbur128Summary) {
  LoudnessFigures f = parse_ebur128_summary(std::string("[Parsed_ebur128_0] t: 3.0 M: -20 I: -30 LUFS\n") + summary);
  ASSERT_TRUE(f.complete);
  EXPECT_DOUBLE_EQ(f.integrated, -14.4);
  EXPECT_DOUBLE_EQ(f.range, 6.8);
  EXPECT_DOUBLE_EQ(f.sample_peak, -1.8);
  EXPECT_FALSE(parse_ebur128_summary("no summary here").complete);
}

MixFigures good_mix() {
  MixFigures m;
  m.seconds = 298;
  m.stereo.correlation = 0.7, m.stereo.side_to_mid_db = -9;
  m.stereo.bands_db[6] = -2.5, m.stereo.bands_db[7] = -5, m.stereo.bands_db[8] = -7.5;
  m.loudness = {-14, 7, -2, true};
  return m;
}

TEST(MixFigures, BoundsNameWhatAMixMisses) {
  EXPECT_TRUE(missed_bounds(good_mix()).empty());
  MixFigures narrow = good_mix();
  narrow.stereo.correlation = 0.95, narrow.stereo.side_to_mid_db = -15.9;
  EXPECT_EQ(missed_bounds(narrow).size(), 2u);
  MixFigures dull = good_mix();
  dull.stereo.bands_db[7] = -9;
  ASSERT_EQ(missed_bounds(dull).size(), 1u);
  EXPECT_NE(missed_bounds(dull)[0].find("4 kHz"), std::string::npos);
  MixFigures hot = good_mix();
  hot.loudness.sample_peak = -0.5;
  EXPECT_EQ(missed_bounds(hot).size(), 1u);
}

}  // namespace
}  // namespace compose
