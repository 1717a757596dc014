// The composer's parts: the clock mappings against the show's key marks, the score's
// arrangement rules, click-free instrument clips, the piano's performance and its
// sampled sound, the loudness meter and limiter, the mix measurements, the piano
// curve, and identical output from identical input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/compose/mastering.h"
#include "tools/compose/measure.h"
#include "tools/compose/mixdown.h"
#include "tools/compose/music_clock.h"
#include "tools/compose/performance.h"
#include "tools/compose/piano_curve.h"
#include "tools/compose/sampled.h"
#include "tools/compose/score.h"
#include "tools/compose/voices.h"
#include "tools/compose/wav_writer.h"

namespace compose {
namespace {

TEST(MusicClock, FollowsTheShowsKeyMarksAndBeatGrid) {
  const double marks[][2] = {{12, 14},       {26.3, 28.3},   {135, 137},  {169, 173.9},
                             {186, 192.3},   {230, 240.0},   {260, 272.6}, {268.3, 288.6}};
  for (const auto& m : marks) {
    EXPECT_NEAR(music_from_show(m[0]), m[1], 0.06) << "s = " << m[0];
    EXPECT_NEAR(show_from_music(music_from_show(m[0])), m[0], 1e-9);
  }
  for (int k = 0; k < 300; ++k) EXPECT_NEAR(music_from_beat(k), 1.8848 + k * 0.444444444, 1e-6);
  // Past the first slow-down the beat lasts 1/0.922 longer, past the second 1/(0.922 * 0.56).
  EXPECT_NEAR(music_from_beat(401) - music_from_beat(400), 60.0 / (135 * 0.922), 1e-9);
  EXPECT_NEAR(music_from_beat(601) - music_from_beat(600), 60.0 / (135 * 0.922 * 0.56), 1e-9);
  EXPECT_NEAR(beat_from_music(music_from_beat(555.5)), 555.5, 1e-9);
}

TEST(ScoreText, NotesPhrasesAndChordsParse) {
  EXPECT_EQ(parse_note_name("C5"), 72);
  EXPECT_EQ(parse_note_name("Ab4"), 68);
  EXPECT_EQ(parse_note_name("F#3"), 54);
  EXPECT_EQ(parse_note_name("H2"), -1);
  EXPECT_EQ(parse_note_name("C"), -1);
  auto phrase = parse_phrase("C5:1.5 r:0.5 | Eb5:2");
  ASSERT_EQ(phrase.size(), 3u);
  EXPECT_EQ(phrase[1].pitch, -1);
  EXPECT_DOUBLE_EQ(phrase[0].beats + phrase[1].beats + phrase[2].beats, 4.0);
  Chord slash = parse_chord("Ab/C");
  EXPECT_EQ(slash.tones, (std::vector<int>{8, 0, 3}));
  EXPECT_EQ(slash.bass, 0);
  EXPECT_EQ(parse_chord("Bbm7").tones, (std::vector<int>{10, 1, 5, 8}));
}

bool drum(Instrument i) { return i == Instrument::kick || i == Instrument::clap || i == Instrument::closed_hat || i == Instrument::open_hat; }

TEST(Score, ArrangementFollowsTheShow) {
  std::vector<NoteEvent> score = compose_score();
  auto bar_of = [](const NoteEvent& e) { return static_cast<int>(std::floor(e.start_beat / beats_per_bar)); };
  for (const NoteEvent& e : score) {
    int bar = bar_of(e);
    if (drum(e.instrument)) {
      EXPECT_GE(music_from_beat(e.start_beat), 14.0) << "drums in the intro, bar " << bar;
      EXPECT_FALSE(bar >= 48 && bar < 58) << "drums in the breakdown, bar " << bar;
      EXPECT_FALSE(bar >= 130 && bar < 146) << "drums in the outro, bar " << bar;
    }
    EXPECT_LT(music_from_beat(e.start_beat), 293.0) << "a note starts within the closing fade";
  }
  // A kick on every beat wherever the visuals pulse with the full beat.
  std::vector<double> kicks = kick_beats(score);
  for (int beat = 60; beat < 192; ++beat)
    EXPECT_TRUE(std::binary_search(kicks.begin(), kicks.end(), static_cast<double>(beat))) << "beat " << beat;
  for (double k : kicks)  // the half-time coda syncopates; before it every kick is on a beat
    if (k < 146 * beats_per_bar) {
      EXPECT_EQ(k, std::floor(k)) << "kick off the beat grid";
    }
  // The reprise repeats its source bars note for note.
  const double shift = (reprise_first_bar - reprise_source_bar) * beats_per_bar;
  size_t source = 0, copies = 0;
  for (const NoteEvent& e : score) {
    int bar = bar_of(e);
    if (bar >= reprise_source_bar && bar < reprise_source_bar + reprise_bars && e.instrument != Instrument::crash) {
      ++source;
      copies += std::count_if(score.begin(), score.end(), [&](const NoteEvent& c) {
        return c.instrument == e.instrument && c.pitch == e.pitch && c.start_beat == e.start_beat + shift;
      }) > 0;
    }
  }
  EXPECT_GT(source, 500u);
  EXPECT_EQ(copies, source);
}

TEST(Voices, EveryClipStartsAndEndsAtSilence) {
  std::vector<Clip> clips = {pad_note(1.0, 53, 0.9, 3),  bass_note(0.3, 29, 1.0),   pluck_note(0.1, 77, 0.8, 4),
                             kick_hit(1.0, 29),           clap_hit(1.0, 5),          hat_hit(1.0, false, 6),
                             hat_hit(1.0, true, 7),       riser_sweep(2.0, 1.0, 9),  boom_hit(1.0)};
  for (size_t i = 0; i < clips.size(); ++i) {
    const Clip& c = clips[i];
    ASSERT_GT(c.frames(), 100u);
    float loudest = 0;
    for (size_t f = 0; f < c.frames(); ++f) loudest = std::max({loudest, std::fabs(c.left[f]), std::fabs(c.right[f])});
    EXPECT_GT(loudest, 0.01f) << "clip " << i;
    EXPECT_LT(std::fabs(c.left.front()) + std::fabs(c.right.front()), 1e-4f) << "clip " << i;
    EXPECT_LT(std::fabs(c.left.back()) + std::fabs(c.right.back()), 1e-4f) << "clip " << i;
  }
}

Mix sine_mix(double seconds, double amplitude, double frequency) {
  Mix mix;
  for (int i = 0; i < seconds * sample_rate; ++i) {
    float v = static_cast<float>(amplitude * std::sin(2 * 3.14159265358979 * frequency * i / sample_rate));
    mix.left.push_back(v), mix.right.push_back(v);
  }
  return mix;
}

TEST(Mastering, LoudnessOfAReferenceToneAndOfSilence) {
  // A 997 Hz tone at -20 dBFS in both channels measures -20 LUFS.
  EXPECT_NEAR(integrated_loudness(sine_mix(5, 0.1, 997)), -20.0, 0.1);
  EXPECT_LE(integrated_loudness(sine_mix(2, 0.0, 997)), -70.0);
}

TEST(Mastering, LimiterCatchesASpikeAndLeavesTheRestAlone) {
  Mix mix = sine_mix(2, 0.3, 200);
  mix.left[22050] = 2.0f;
  limit_peaks(mix, 0.5);
  EXPECT_LE(peak_level(mix), 0.5 + 1e-6);
  EXPECT_GT(std::fabs(mix.left[22050]), 0.49f);  // pulled down to the ceiling, not below it
  Mix reference = sine_mix(2, 0.3, 200);
  for (size_t i : {1000u, 15000u, 80000u}) EXPECT_NEAR(mix.left[i], reference.left[i], 1e-3) << i;
}

TEST(PianoCurve, SilentBeforeTheFirstNoteThenFollowsTheMelody) {
  std::vector<NoteEvent> score = compose_score();
  std::vector<CurveKey> keys = piano_curve(score, 8200);
  double first = 1e9;
  for (const NoteEvent& e : score)
    if (e.melody) first = std::min(first, show_from_music(music_from_beat(e.start_beat)));
  int first_key = static_cast<int>(first * keys_per_show_second);
  for (int k = 0; k < first_key; ++k) ASSERT_EQ(keys[k].x, 0.0) << k;
  double after = 0;
  for (int k = first_key; k < first_key + 30; ++k) after = std::max(after, keys[k].x);
  EXPECT_GT(after, 0.15);  // the intro's piano is soft
  for (size_t k = 1; k < keys.size(); ++k) {
    ASSERT_LE(std::fabs(keys[k].x - keys[k - 1].x), max_key_step + 1e-12);
    ASSERT_LE(std::fabs(keys[k].y - keys[k - 1].y), max_key_step + 1e-12);
  }
}

TEST(PianoCurve, PointFileTextIsACountThenOneLinePerKey) {
  std::istringstream text(point_file_text({{0.0, 1.0}, {0.25, 0.125}, {1.0, 0.0}}));
  int count = 0;
  text >> count;
  ASSERT_EQ(count, 3);
  double x, y, z, last_x = -1;
  for (int k = 0; k < count; ++k) {
    ASSERT_TRUE(text >> x >> y >> z) << k;
    EXPECT_EQ(z, 0.0);
    last_x = x;
  }
  EXPECT_EQ(last_x, 1.0);
  EXPECT_FALSE(text >> x);  // nothing after the last key
}

std::uint32_t little_endian(const std::string& bytes, size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

TEST(WavWriter, HeaderDescribesSixteenBitStereoAndSamplesFollowIt) {
  const std::string path = std::string(VELMORIA_BINARY_DIR) + "/composer_test.wav";
  ASSERT_TRUE(write_wav(path, {1, -1, 32767, -32767}, sample_rate));
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  ASSERT_EQ(bytes.size(), 44u + 8u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(little_endian(bytes, 4, 4), 44u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(little_endian(bytes, 22, 2), 2u);  // channels
  EXPECT_EQ(little_endian(bytes, 24, 4), 44100u);
  EXPECT_EQ(little_endian(bytes, 28, 4), 44100u * 4);
  EXPECT_EQ(little_endian(bytes, 34, 2), 16u);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(little_endian(bytes, 40, 4), 8u);
  EXPECT_EQ(static_cast<std::int16_t>(little_endian(bytes, 46, 2)), -1);
  EXPECT_EQ(static_cast<std::int16_t>(little_endian(bytes, 50, 2)), -32767);
  EXPECT_FALSE(write_wav("/nonexistent-folder/x.wav", {0, 0}, sample_rate));
}

TEST(Mastering, SixteenBitConversionKeepsSilenceSilentAndRounds) {
  Mix mix;
  mix.left = {0.0f, 0.5f, -1.0f};
  mix.right = {0.0f, 0.25f, 1.0f};
  std::vector<std::int16_t> pcm = to_pcm16(mix);
  ASSERT_EQ(pcm.size(), 6u);
  EXPECT_EQ(pcm[0], 0);
  EXPECT_EQ(pcm[1], 0);
  EXPECT_NEAR(pcm[2], 16384, 1);  // dither moves a sample by at most one step
  EXPECT_NEAR(pcm[3], 8192, 1);
  EXPECT_GE(pcm[4], -32767);
  EXPECT_LE(pcm[5], 32767);
}

TEST(Render, SameScoreGivesTheSameSamples) {
  std::vector<NoteEvent> score = compose_score();
  score.erase(std::remove_if(score.begin(), score.end(), [](const NoteEvent& e) { return e.start_beat > 64; }),
              score.end());
  Mix a = render_mix(score, 30.0), b = render_mix(score, 30.0);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  EXPECT_GT(peak_level(a), 0.1);
}

}  // namespace
}  // namespace compose

namespace compose {
namespace {

// Correlation of the two channels after four one-pole low-passes at `cutoff` (0: none).
double channel_correlation(const Mix& m, double from, double to, double cutoff) {
  const double k = cutoff > 0 ? 1 - std::exp(-2 * 3.14159265358979 * cutoff / sample_rate) : 1.0;
  double l[4] = {}, r[4] = {}, ll = 0, rr = 0, lr = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(to * sample_rate); ++i) {
    double x = m.left[i], y = m.right[i];
    for (int stage = 0; stage < 4; ++stage) x = l[stage] += (x - l[stage]) * k, y = r[stage] += (y - r[stage]) * k;
    if (i >= static_cast<std::size_t>(from * sample_rate)) ll += x * x, rr += y * y, lr += x * y;
  }
  return lr / std::sqrt(ll * rr);
}

TEST(Render, WideAboveTheBassAndMonoInIt) {
  std::vector<NoteEvent> score = compose_score();
  score.erase(std::remove_if(score.begin(), score.end(), [](const NoteEvent& e) { return e.start_beat > 40; }),
              score.end());
  Mix mix = render_mix(score, 20.0);  // the intro's piano and pad, then the first beats
  const double all = channel_correlation(mix, 4.0, 20.0, 0.0), low = channel_correlation(mix, 15.0, 20.0, 80.0);
  std::printf("left/right correlation %.3f, below 80 Hz %.3f\n", all, low);
  EXPECT_LT(all, 0.85);
  EXPECT_GT(low, 0.98) << "the kick and the sub stay in the middle";
}

}  // namespace
}  // namespace compose
