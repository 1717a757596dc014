// Mix measurements: width from the channel sums and differences, octave bands from
// averaged Hann-windowed 8192-point spectra, loudness from ffmpeg's ebur128 summary.
#include "tools/compose/measure.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

namespace compose {

const std::array<const char*, octave_band_count> octave_band_names = {
    "31.5", "63", "125", "250", "500", "1k", "2k", "4k", "8k", "16k"};

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int fft_size = 8192;
constexpr int reference_band = 5;  // 1 kHz
constexpr int analysis_rate = 44100;

// The messages of this module.
const char* const error_no_ffmpeg = "cannot run ffmpeg (install the ffmpeg package)";
const char* const error_no_audio = "ffmpeg decoded no audio from the file";
const char* const error_no_summary = "ffmpeg's ebur128 filter gave no complete summary";

double band_centre(int band) { return 1000.0 * std::pow(2.0, band - reference_band); }

std::array<double, octave_band_count> band_powers(const std::vector<float>& left, const std::vector<float>& right,
                                                  std::size_t a, std::size_t b, int rate) {
  std::array<double, octave_band_count> power{};
  kiss_fftr_cfg cfg = kiss_fftr_alloc(fft_size, 0, nullptr, nullptr);
  std::vector<float> frame(fft_size);
  std::vector<kiss_fft_cpx> spectrum(fft_size / 2 + 1);
  std::vector<int> band_of(fft_size / 2 + 1, -1);
  for (int k = 1; k <= fft_size / 2; ++k) {
    double f = static_cast<double>(k) * rate / fft_size;
    for (int band = 0; band < octave_band_count; ++band)
      if (f >= band_centre(band) / std::sqrt(2.0) && f < band_centre(band) * std::sqrt(2.0)) band_of[k] = band;
  }
  for (const std::vector<float>* channel : {&left, &right})
    for (std::size_t start = a; start + fft_size <= b; start += fft_size / 2) {
      for (int i = 0; i < fft_size; ++i)
        frame[i] = static_cast<float>((*channel)[start + i] * (0.5 - 0.5 * std::cos(2 * pi * i / fft_size)));
      kiss_fftr(cfg, frame.data(), spectrum.data());
      for (int k = 1; k <= fft_size / 2; ++k)
        if (band_of[k] >= 0) power[band_of[k]] += spectrum[k].r * spectrum[k].r + spectrum[k].i * spectrum[k].i;
    }
  kiss_fftr_free(cfg);
  return power;
}

double decibels(double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-30)); }

// The number after `label` on the first line of `text` that holds it.
bool reading_after(const std::string& text, const std::string& label, double& value) {
  std::size_t at = text.find(label);
  if (at == std::string::npos) return false;
  return std::sscanf(text.c_str() + at + label.size(), "%lf", &value) == 1;
}

std::string quoted(const std::string& path) {
  std::string out = "'";
  for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string command_output(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  if (!pipe) return out;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
  return out;
}

}  // namespace

StereoFigures stereo_figures(const std::vector<float>& left, const std::vector<float>& right, int rate,
                             double from, double to) {
  StereoFigures figures;
  const std::size_t a = std::min(left.size(), static_cast<std::size_t>(from * rate));
  const std::size_t b = std::min(left.size(), static_cast<std::size_t>(to * rate));
  double ll = 0, rr = 0, lr = 0, mid = 0, side = 0;
  for (std::size_t i = a; i < b; ++i) {
    double l = left[i], r = right[i];
    ll += l * l, rr += r * r, lr += l * r;
    mid += 0.25 * (l + r) * (l + r), side += 0.25 * (l - r) * (l - r);
  }
  figures.correlation = ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 0.0;
  figures.side_to_mid_db = decibels(side / std::max(mid, 1e-30));
  std::array<double, octave_band_count> power = band_powers(left, right, a, b, rate);
  for (int band = 0; band < octave_band_count; ++band)
    figures.bands_db[band] = decibels(power[band] / std::max(power[reference_band], 1e-30));
  return figures;
}

LoudnessFigures parse_ebur128_summary(const std::string& text) {
  LoudnessFigures figures;
  std::size_t summary = text.rfind("Summary:");
  if (summary == std::string::npos) return figures;
  const std::string tail = text.substr(summary);
  std::size_t peak_block = tail.find("Sample peak:");
  figures.complete = reading_after(tail, "I:", figures.integrated) && reading_after(tail, "LRA:", figures.range) &&
                     peak_block != std::string::npos &&
                     reading_after(tail.substr(peak_block), "Peak:", figures.sample_peak);
  return figures;
}

std::vector<std::string> missed_bounds(const MixFigures& m) {
  struct Check {
    const char* name;
    double value, low, high;
  };
  const Check checks[] = {
      {"length (s)", m.seconds, 295.0, 300.0},
      {"left/right correlation", m.stereo.correlation, 0.4, 0.85},
      {"side/mid (dB)", m.stereo.side_to_mid_db, -12.0, -6.0},
      {"2 kHz band re 1 kHz (dB)", m.stereo.bands_db[6], -4.0, -1.0},
      {"4 kHz band re 1 kHz (dB)", m.stereo.bands_db[7], -7.0, -3.0},
      {"8 kHz band re 1 kHz (dB)", m.stereo.bands_db[8], -10.0, -5.0},
      {"loudness range (LU)", m.loudness.range, 4.0, 10.0},
      {"integrated loudness (LUFS)", m.loudness.integrated, -16.0, -12.0},
      {"sample peak (dBFS)", m.loudness.sample_peak, -200.0, -1.0},
  };
  std::vector<std::string> missed;
  if (!m.loudness.complete) missed.push_back(error_no_summary);
  char line[160];
  for (const Check& c : checks)
    if (!(c.value >= c.low && c.value <= c.high)) {
      std::snprintf(line, sizeof line, "%s %.2f outside %.2f to %.2f", c.name, c.value, c.low, c.high);
      missed.push_back(line);
    }
  return missed;
}

std::string figures_text(const MixFigures& m) {
  std::ostringstream out;
  char line[200];
  std::snprintf(line, sizeof line, "length %.2f s\nleft/right correlation (20-240 s) %.3f\nside/mid (20-240 s) %.2f dB\n",
                m.seconds, m.stereo.correlation, m.stereo.side_to_mid_db);
  out << line << "octave bands re 1 kHz (20-240 s), dB:";
  for (int band = 0; band < octave_band_count; ++band) {
    std::snprintf(line, sizeof line, " %s %+.1f", octave_band_names[band], m.stereo.bands_db[band]);
    out << line;
  }
  std::snprintf(line, sizeof line, "\nintegrated loudness %.1f LUFS\nloudness range %.1f LU\nsample peak %.1f dBFS\n",
                m.loudness.integrated, m.loudness.range, m.loudness.sample_peak);
  out << line;
  return out.str();
}

bool measure_file(const std::string& path, MixFigures& figures, std::string& error) {
  const std::string pcm = command_output("ffmpeg -v error -nostdin -i " + quoted(path) +
                                         " -f f32le -ac 2 -ar 44100 - 2>/dev/null");
  if (pcm.empty()) {
    error = command_output("command -v ffmpeg").empty() ? error_no_ffmpeg : error_no_audio;
    return false;
  }
  const std::size_t frames = pcm.size() / (2 * sizeof(float));
  std::vector<float> left(frames), right(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    float lr[2];
    std::copy_n(pcm.data() + i * sizeof lr, sizeof lr, reinterpret_cast<char*>(lr));
    left[i] = lr[0], right[i] = lr[1];
  }
  figures.seconds = static_cast<double>(frames) / analysis_rate;
  figures.stereo = stereo_figures(left, right, analysis_rate, 20.0, 240.0);
  figures.loudness = parse_ebur128_summary(command_output(
      "ffmpeg -hide_banner -nostats -nostdin -i " + quoted(path) + " -af ebur128=peak=sample -f null - 2>&1"));
  if (!figures.loudness.complete) {
    error = error_no_summary;
    return false;
  }
  return true;
}

}  // namespace compose
