// MP3 decoding for the sound layer: libmpg123 turns a whole file, already read into
// memory, into interleaved signed 16-bit frames at the file's own rate and channel
// count. A file without any decodable audio gives an empty result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct decoded_sound {
    std::vector<int16_t> frames;  // interleaved, channels values per frame
    int rate = 0;                 // frames per second
    int channels = 0;             // 1 or 2

    size_t frame_count() const { return channels > 0 ? frames.size() / size_t(channels) : 0; }
    bool empty() const { return frame_count() == 0; }
};

// Reads the whole file; false when it cannot be opened or read.
bool read_file_bytes(const std::string& path, std::vector<uint8_t>& bytes);

// Decodes an MP3 held in memory. Encoder delay and padding recorded in the file's
// info frame are removed, so the frame count is the length of the original audio.
decoded_sound decode_mp3(const uint8_t* data, size_t size);
