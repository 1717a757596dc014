// Decoding into packed pictures, PNM reading, cjpeg invocation and picture
// comparison for the JPEG tests.
#include "tests/render/jpeg/jpeg_test_support.h"

#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

decoded_picture decode_jpeg(const std::vector<uint8_t>& bytes, bool accelerated) {
    decoded_picture p;
    jpeg_decoder_memory_stream stream(bytes.data(), bytes.size());
    jpeg_scan_decoder decoder(&stream, accelerated);
    p.constructor_error = decoder.error_code;
    if (decoder.error_code) {
        p.error_code = decoder.error_code;
        return p;
    }
    p.width = decoder.width;
    p.height = decoder.height;
    p.channels = decoder.components == 3 ? 3 : 1;
    p.prepare_result = decoder.prepare();
    if (p.prepare_result) {
        p.error_code = decoder.error_code;
        return p;
    }
    p.pixels.reserve(static_cast<std::size_t>(p.width) * p.height * p.channels);
    for (;;) {
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        int result = decoder.read_row(row, row_bytes);
        if (result != 0) {
            p.last_row_result = result;
            p.cut_short = decoder.input_cut_short();
            break;
        }
        ++p.rows_read;
        int step = decoder.bytes_per_pixel;
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < p.channels; ++c) p.pixels.push_back(row[x * step + c]);
        if (row_bytes != static_cast<uint32_t>(p.width * step)) p.last_row_result = 999;  // wrong length
    }
    p.error_code = decoder.error_code;
    return p;
}

std::vector<uint8_t> read_file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

pnm_picture read_pnm(const std::string& path) {
    pnm_picture p;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    in.get();
    p.channels = magic == "P6" ? 3 : 1;
    p.pixels.resize(static_cast<std::size_t>(p.width) * p.height * p.channels);
    in.read(reinterpret_cast<char*>(p.pixels.data()), static_cast<std::streamsize>(p.pixels.size()));
    if (!in || maxval != 255) p = pnm_picture{};
    return p;
}

std::vector<uint8_t> cjpeg_pattern(int width, int height, const std::string& options) {
    char dir_template[] = "/tmp/velmoria_jpeg_XXXXXX";
    if (!mkdtemp(dir_template)) return {};
    std::string dir = dir_template;
    std::string ppm = dir + "/in.ppm", jpg = dir + "/out.jpg";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t rgb[3] = {static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1)),
                                  static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1)),
                                  static_cast<uint8_t>((x * x * 7 + y * 13 + x * y * 3) & 0xFF)};
                out.write(reinterpret_cast<const char*>(rgb), 3);
            }
    }
    std::string command = "cjpeg " + options + " " + ppm + " > " + jpg + " 2>/dev/null";
    std::vector<uint8_t> bytes;
    if (std::system(command.c_str()) == 0) bytes = read_file_bytes(jpg);
    std::remove(ppm.c_str());
    std::remove(jpg.c_str());
    rmdir(dir.c_str());
    return bytes;
}

picture_difference compare_pictures(const decoded_picture& ours, const pnm_picture& reference) {
    picture_difference d;
    if (ours.pixels.size() != reference.pixels.size() || ours.pixels.empty()) {
        d.max = 256;
        d.mean = 256;
        return d;
    }
    long long total = 0;
    for (std::size_t i = 0; i < ours.pixels.size(); ++i) {
        int diff = std::abs(int{ours.pixels[i]} - int{reference.pixels[i]});
        total += diff;
        if (diff > d.max) d.max = diff;
    }
    d.mean = static_cast<double>(total) / static_cast<double>(ours.pixels.size());
    return d;
}

long find_marker(const std::vector<uint8_t>& bytes, uint8_t code, std::size_t from) {
    for (std::size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return static_cast<long>(i + 1);
    return -1;
}
