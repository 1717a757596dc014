// The composer: renders the show's soundtrack to a WAV file and writes the piano
// curve point file. Usage: velmoria_compose <out.wav> <piano2.txt>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "tools/compose/mastering.h"
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
constexpr double ceiling = 0.79;  // -2 dBFS, leaving room for the encoder's overshoot
constexpr double curve_show_seconds = 272.0;
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <out.wav> <piano2.txt>\n", argv[0]);
    return 2;
  }
  using namespace compose;
  std::vector<NoteEvent> score = compose_score();
  std::printf("score: %zu events\n", score.size());

  Mix mix = render_mix(score, track_seconds);
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
