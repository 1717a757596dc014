// MP3 decoding for the sound layer: libmpg123 turns a whole file, already read into
// memory, into interleaved signed 16-bit frames at the file's own rate and channel
// count. A file without any decodable audio gives an empty result. Music files are
// bounded: at most 256 MiB read, at most 30 minutes decoded.
#pragma once

#include "platform/outcome.h"

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

constexpr uint64_t max_music_file_bytes = uint64_t(256) << 20;
constexpr double max_music_seconds = 30.0 * 60.0;

// Reads the whole file when it is a regular file of at most `limit` bytes. Fails,
// naming the file, when it cannot be read ("is a folder", the system's error text,
// or the size over the limit). Never throws.
outcome read_file_bytes(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit = max_music_file_bytes);

// Decodes an MP3 held in memory. Encoder delay and padding recorded in the file's
// info frame are removed, so the frame count is the length of the original audio.
// Decoding stops soon after `max_frames` frames: a longer result means there was
// more.
decoded_sound decode_mp3(const uint8_t* data, size_t size, size_t max_frames = SIZE_MAX);

// Reads and decodes a music file within the bounds above. Done when it holds
// playable music; otherwise the file and why not. Never throws.
outcome load_music_file(const std::string& path, decoded_sound& sound);
