// Mastering of the finished mix: integrated loudness after ITU-R BS.1770 (K-weighting,
// 400 ms blocks, absolute and relative gates), a look-ahead peak limiter, the closing
// fade, and conversion to dithered 16-bit samples.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/compose/mixdown.h"

namespace compose {

double integrated_loudness(const Mix& mix);  // LUFS; -70 or lower for silence
double peak_level(const Mix& mix);           // largest absolute sample value

// Keeps every sample within `ceiling` (linear) with a 3 ms look-ahead and a smooth release.
void limit_peaks(Mix& mix, double ceiling);

// Raised-cosine fade from `start` to `end` seconds, silence after it.
void fade_out(Mix& mix, double start, double end);

// Gain to `target_lufs`, then limiting to `ceiling`; repeated so the limiter's loss
// of loudness is made up.
void master(Mix& mix, double target_lufs, double ceiling);

// Interleaved 16-bit samples with triangular dither from a fixed seed.
std::vector<std::int16_t> to_pcm16(const Mix& mix);

}  // namespace compose
