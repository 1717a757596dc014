// Checks the committed soundtrack and piano curve as the show reads them: the MP3
// decoded by libmpg123 (length, rate, peak, the closing fade, kick energy in the
// spectrum band that drives the visuals) and the point file read by load_points.
#include <gtest/gtest.h>
#include <kiss_fftr.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "geometry/spline.h"

namespace {

const std::string music_path = std::string(VELMORIA_SOURCE_DIR) + "/data/music/Tolvek - Velmoria.mp3";
const std::string piano_path = std::string(VELMORIA_SOURCE_DIR) + "/data/misc/piano2.txt";

struct DecodedTrack {
  long rate = 0;
  int channels = 0;
  std::vector<float> mono;  // average of the channels
  double peak = 0;          // over both channels
  std::string error;
  double seconds() const { return rate ? static_cast<double>(mono.size()) / rate : 0; }
};

DecodedTrack decode(const std::string& path) {
  DecodedTrack track;
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  if (!handle) return track.error = "mpg123_new failed", track;
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(handle);
  mpg123_format(handle, 44100, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
  int encoding = 0;
  if (mpg123_open(handle, path.c_str()) != MPG123_OK || mpg123_getformat(handle, &track.rate, &track.channels, &encoding) != MPG123_OK) {
    track.error = mpg123_strerror(handle);
    mpg123_delete(handle);
    return track;
  }
  std::vector<float> buffer(16384);
  size_t done = 0;
  int status;
  do {
    status = mpg123_read(handle, reinterpret_cast<unsigned char*>(buffer.data()), buffer.size() * sizeof(float), &done);
    size_t values = done / sizeof(float);
    for (size_t i = 0; i + track.channels <= values; i += track.channels) {
      float sum = 0;
      for (int c = 0; c < track.channels; ++c) {
        sum += buffer[i + c];
        track.peak = std::max(track.peak, static_cast<double>(std::fabs(buffer[i + c])));
      }
      track.mono.push_back(sum / track.channels);
    }
  } while (status == MPG123_OK);
  if (status != MPG123_DONE) track.error = mpg123_plain_strerror(status);
  mpg123_close(handle);
  mpg123_delete(handle);
  return track;
}

class Soundtrack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { track = new DecodedTrack(decode(music_path)); }
  static void TearDownTestSuite() { delete track; }
  static DecodedTrack* track;
};
DecodedTrack* Soundtrack::track = nullptr;

double rms(const std::vector<float>& x, double from, double to, long rate) {
  size_t a = static_cast<size_t>(from * rate), b = std::min(x.size(), static_cast<size_t>(to * rate));
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += x[i] * x[i];
  return b > a ? std::sqrt(sum / (b - a)) : 0;
}

TEST_F(Soundtrack, DecodesToAFullLengthTrackAt44100Hz) {
  ASSERT_EQ(track->error, "");
  EXPECT_EQ(track->rate, 44100);
  EXPECT_EQ(track->channels, 2);
  std::printf("length %.3f s\n", track->seconds());
  EXPECT_GE(track->seconds(), 295.0);
  EXPECT_LE(track->seconds(), 300.0);
}

TEST_F(Soundtrack, PeakStaysBelowMinusOneDbfsAndTheEndFadesToSilence) {
  ASSERT_FALSE(track->mono.empty());
  double peak_db = 20 * std::log10(track->peak);
  std::printf("peak %.2f dBFS\n", peak_db);
  EXPECT_LE(peak_db, -1.0);
  const double end = track->seconds();
  double body = rms(track->mono, 60, 80, track->rate);
  EXPECT_GT(body, 0.05);  // the main section is not quiet
  EXPECT_LT(rms(track->mono, end - 0.5, end, track->rate), body * 1e-3);  // silence at the very end
  EXPECT_GT(rms(track->mono, 280, 285, track->rate), rms(track->mono, end - 3, end - 2, track->rate));
}

// Energy of bin 1 (about 43 Hz) of a Hann-windowed 1024-point FFT, every `hop`
// samples, with frame f centred on sample f * hop.
std::vector<double> low_band_energy(const std::vector<float>& x, size_t from, size_t to, size_t hop) {
  const int n = 1024;
  kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
  std::vector<float> frame(n);
  std::vector<kiss_fft_cpx> spectrum(n / 2 + 1);
  std::vector<double> energy;
  for (size_t centre = from; centre < to; centre += hop) {
    for (int i = 0; i < n; ++i) {
      long at = static_cast<long>(centre) - n / 2 + i;
      float w = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * i / n);
      frame[i] = at >= 0 && at < static_cast<long>(x.size()) ? x[at] * w : 0.0f;
    }
    kiss_fftr(cfg, frame.data(), spectrum.data());
    energy.push_back(spectrum[1].r * spectrum[1].r + spectrum[1].i * spectrum[1].i);
  }
  kiss_fftr_free(cfg);
  return energy;
}

TEST_F(Soundtrack, LowBandEnergyPeaksOnThePredictedKicks) {
  ASSERT_FALSE(track->mono.empty());
  const size_t hop = 64;
  const double rate = static_cast<double>(track->rate);
  std::vector<double> energy = low_band_energy(track->mono, 0, static_cast<size_t>(90 * rate), hop);
  auto frame_time = [&](size_t f) { return f * hop / rate; };
  int kicks = 0, hits = 0;
  double offset_sum = 0;
  std::vector<double> contrast;
  for (int k = 0;; ++k) {
    double kick = 1.8848 + k * 0.44444;
    if (kick < 30) continue;
    if (kick > 85) break;
    ++kicks;
    // Strongest frame within a little less than half a beat either side.
    size_t first = static_cast<size_t>((kick - 0.2) * rate / hop), last = static_cast<size_t>((kick + 0.2) * rate / hop);
    size_t best = first;
    for (size_t f = first; f <= last; ++f)
      if (energy[f] > energy[best]) best = f;
    double offset = frame_time(best) - kick;
    if (std::fabs(offset) <= 0.030) ++hits, offset_sum += offset;
    size_t between = static_cast<size_t>((kick + 0.22222) * rate / hop);
    contrast.push_back(energy[best] / std::max(energy[between], 1e-12));
  }
  std::sort(contrast.begin(), contrast.end());
  double share = static_cast<double>(hits) / kicks;
  std::printf("%d of %d kicks (%.1f %%) peak within 30 ms, mean offset %.1f ms, median on/off-beat energy ratio %.1f\n",
              hits, kicks, 100 * share, hits ? 1000 * offset_sum / hits : 0.0, contrast[contrast.size() / 2]);
  EXPECT_GE(share, 0.9);
  EXPECT_GT(contrast[contrast.size() / 2], 4.0);  // the beat stands out from what lies between
}

TEST(PianoCurve, LoadsWithEnoughKeysInRangeAndWithoutJumps) {
  spline notes;
  ASSERT_TRUE(notes.load_points(piano_path.c_str()));
  ASSERT_GE(notes.count, 8100);
  ASSERT_EQ(static_cast<size_t>(notes.count), notes.positions.size());
  float max_x = 0, low_y = 1, high_y = 0, worst_step = 0;
  for (int32_t k = 0; k < notes.count; ++k) {
    const vector3& key = notes.positions[k];
    ASSERT_TRUE(key.x >= 0 && key.x <= 1 && key.y >= 0 && key.y <= 1) << "key " << k;
    ASSERT_EQ(key.z, 0.0f) << "key " << k;
    max_x = std::max(max_x, key.x);
    low_y = std::min(low_y, key.y), high_y = std::max(high_y, key.y);
    if (k > 0) {
      const vector3& prev = notes.positions[k - 1];
      worst_step = std::max({worst_step, std::fabs(key.x - prev.x), std::fabs(key.y - prev.y)});
    }
  }
  EXPECT_LE(worst_step, 0.2f);
  // It follows a melody: the loudness swells high and the pitch spans most of the range.
  EXPECT_GT(max_x, 0.6f);
  EXPECT_GT(high_y - low_y, 0.7f);
}

}  // namespace
