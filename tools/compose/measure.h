// Figures of a finished mix, so anyone can check one: stereo width (left/right
// correlation, side/mid), octave-band balance against the 1 kHz band, and the
// loudness readings of ffmpeg's ebur128 filter, with the bounds the soundtrack keeps.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace compose {

constexpr int octave_band_count = 10;
// Nominal centres: 31.5 Hz to 16 kHz, the exact centres are 1000 * 2^k.
extern const std::array<const char*, octave_band_count> octave_band_names;

struct StereoFigures {
  double correlation = 0;    // Pearson correlation of left and right
  double side_to_mid_db = 0; // power of (L-R)/2 over power of (L+R)/2
  std::array<double, octave_band_count> bands_db{};  // band power re the 1 kHz band
};

// Over [from, to) seconds of interleaved-free channels at `rate`.
StereoFigures stereo_figures(const std::vector<float>& left, const std::vector<float>& right, int rate,
                             double from, double to);

struct LoudnessFigures {
  double integrated = 0;   // LUFS
  double range = 0;        // LRA, LU
  double sample_peak = 0;  // dBFS
  bool complete = false;   // every reading was found
};

// Reads the "Summary:" block that ffmpeg's ebur128 filter prints.
LoudnessFigures parse_ebur128_summary(const std::string& text);

struct MixFigures {
  double seconds = 0;
  StereoFigures stereo;
  LoudnessFigures loudness;
};

// One line per bound the mix misses; empty when it meets them all.
std::vector<std::string> missed_bounds(const MixFigures& figures);

// The report `velmoria_compose --measure` prints.
std::string figures_text(const MixFigures& figures);

// Decodes `path` with ffmpeg and measures it; false with `error` set when ffmpeg fails.
bool measure_file(const std::string& path, MixFigures& figures, std::string& error);

}  // namespace compose
