// Writes interleaved 16-bit stereo samples as a RIFF WAVE file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace compose {

bool write_wav(const std::string& path, const std::vector<std::int16_t>& interleaved, int rate);

}  // namespace compose
