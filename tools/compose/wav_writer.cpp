// RIFF WAVE output (PCM, two channels, 16 bits, little-endian fields).
#include "tools/compose/wav_writer.h"

#include <fstream>

namespace compose {

namespace {
void put(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

bool write_wav(const std::string& path, const std::vector<std::int16_t>& interleaved, int rate) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(interleaved.size() * 2);
  out.write("RIFF", 4);
  put(out, 36 + data_bytes, 4);
  out.write("WAVEfmt ", 8);
  put(out, 16, 4);
  put(out, 1, 2);  // PCM
  put(out, 2, 2);  // channels
  put(out, static_cast<std::uint32_t>(rate), 4);
  put(out, static_cast<std::uint32_t>(rate) * 4, 4);
  put(out, 4, 2);
  put(out, 16, 2);
  out.write("data", 4);
  put(out, data_bytes, 4);
  for (std::int16_t s : interleaved) put(out, static_cast<std::uint16_t>(s), 2);
  return static_cast<bool>(out);
}

}  // namespace compose
