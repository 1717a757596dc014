// The composer: renders the show's soundtrack to a WAV file and writes the piano
// curve point file, or measures a finished mix against the soundtrack's bounds.
// Usage: velmoria_compose <out.wav> <piano2.txt> | velmoria_compose --measure <file>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/compose/mastering.h"
#include "tools/compose/measure.h"
#include "tools/compose/mixdown.h"
#include "tools/compose/music_clock.h"
#include "tools/compose/piano_curve.h"
#include "tools/compose/score.h"
#include "tools/compose/voices.h"
#include "tools/compose/wav_writer.h"

namespace {
constexpr double track_seconds = 298.0;
constexpr double fade_start = 293.0, fade_end = 297.4;
constexpr double target_lufs = -14.0;
constexpr double ceiling = 0.75;  // -2.5 dBFS, leaving room for the encoder's overshoot
constexpr double curve_show_seconds = 272.0;

// Prints the figures of a mix and the bounds it misses; 0 when it meets them all.
int measure(const char* path) {
  compose::MixFigures figures;
  std::string error;
  if (!compose::measure_file(path, figures, error)) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return 1;
  }
  std::fputs(compose::figures_text(figures).c_str(), stdout);
  std::vector<std::string> missed = compose::missed_bounds(figures);
  for (const std::string& line : missed) std::printf("MISSED: %s\n", line.c_str());
  if (missed.empty()) std::printf("every bound met\n");
  return missed.empty() ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--measure") return measure(argv[2]);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <out.wav> <piano2.txt>\n       %s --measure <file>\n", argv[0], argv[0]);
    return 2;
  }
  using namespace compose;
  std::vector<NoteEvent> score = compose_score();
  std::printf("score: %zu events\n", score.size());

  Mix mix;
  try {
    mix = render_mix(score, track_seconds);
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  fade_out(mix, fade_start, fade_end);
  master(mix, target_lufs, ceiling);
  std::printf("loudness %.2f LUFS, peak %.2f dBFS\n", integrated_loudness(mix), 20 * std::log10(peak_level(mix)));
  if (!write_wav(argv[1], to_pcm16(mix), sample_rate)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }

  int keys = static_cast<int>(curve_show_seconds * keys_per_show_second) + 1;
  std::ofstream points(argv[2]);
  points << point_file_text(piano_curve(score, keys));
  if (!points) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
