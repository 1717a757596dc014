// Helpers of the JPEG tests: decode a byte buffer with jpeg_scan_decoder into a
// packed picture, read the PNM files djpeg writes, run cjpeg on a generated
// picture, and compare two pictures channel by channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct decoded_picture {
    int constructor_error = 0;
    int prepare_result = 0;
    int last_row_result = 0;  // the first non-zero read_row result, or 0
    int error_code = 0;
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 for greyscale, 3 for colour (the fourth byte dropped)
    int rows_read = 0;
    bool cut_short = false;  // input_cut_short() after the last row
    std::vector<uint8_t> pixels;
};

decoded_picture decode_jpeg(const std::vector<uint8_t>& bytes, bool accelerated);

struct pnm_picture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> read_file_bytes(const std::string& path);
pnm_picture read_pnm(const std::string& path);

// Writes a width x height colour pattern (two ramps and a busy third channel) as PPM and compresses it with
// cjpeg and the given options; returns the JPEG bytes (empty on failure).
std::vector<uint8_t> cjpeg_pattern(int width, int height, const std::string& options);

struct picture_difference {
    double mean = 0;  // mean absolute difference over all samples
    int max = 0;
};
picture_difference compare_pictures(const decoded_picture& ours, const pnm_picture& reference);

// Offset of the first marker `code` (the byte after 0xFF) at or after `from`, or -1.
long find_marker(const std::vector<uint8_t>& bytes, uint8_t code, std::size_t from = 0);
