// jpeg_decode: decodes one JPEG file with the project's decoder and writes it as a
// binary PPM (colour) or PGM (greyscale), like `djpeg -pnm`, so that the two can be
// timed process against process. Usage: jpeg_decode [-dct int|fast] [-outfile OUT] IN
#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: jpeg_decode [-dct int|fast] [-outfile OUT] IN.jpg\n");
    return 2;
}

// Writes the decoder's rows to out, dropping the fourth byte of colour pixels.
int write_pnm(jpeg_scan_decoder& decoder, std::FILE* out) {
    bool colour = decoder.components == 3;
    std::fprintf(out, "%s\n%d %d\n255\n", colour ? "P6" : "P5", decoder.width, decoder.height);
    std::vector<uint8_t> packed(static_cast<std::size_t>(decoder.width) * 3 + 1);
    const uint8_t* row = nullptr;
    uint32_t row_bytes = 0;
    int result = 0;
    while ((result = decoder.read_row(row, row_bytes)) == 0) {
        if (!colour) {
            std::fwrite(row, 1, row_bytes, out);
            continue;
        }
        // Four bytes a pixel copied, three kept: the next pixel overwrites the fourth.
        uint8_t* rgb = packed.data();
        for (uint32_t x = 0; x < row_bytes / 4; ++x, rgb += 3) std::memcpy(rgb, row + x * 4, 4);
        std::fwrite(packed.data(), 1, row_bytes / 4 * 3, out);
    }
    return result == 1 ? 0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    bool accelerated = false;
    const char* out_name = nullptr;
    const char* in_name = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-dct") && i + 1 < argc) {
            const char* kind = argv[++i];
            if (std::strcmp(kind, "int") && std::strcmp(kind, "fast")) return usage();
            accelerated = !std::strcmp(kind, "fast");
        } else if (!std::strcmp(argv[i], "-outfile") && i + 1 < argc) {
            out_name = argv[++i];
        } else if (argv[i][0] == '-' || in_name) {
            return usage();
        } else {
            in_name = argv[i];
        }
    }
    if (!in_name) return usage();
    jpeg_decoder_file_stream stream;
    if (stream.open(in_name)) {
        std::fprintf(stderr, "jpeg_decode: cannot open %s\n", in_name);
        return 1;
    }
    std::FILE* out = out_name ? std::fopen(out_name, "wb") : stdout;
    if (!out) {
        std::fprintf(stderr, "jpeg_decode: cannot write %s\n", out_name);
        return 1;
    }
    jpeg_scan_decoder decoder(&stream, accelerated);
    int failed = decoder.error_code || decoder.prepare() || write_pnm(decoder, out);
    bool write_failed = std::ferror(out) != 0;
    if (out != stdout) write_failed = std::fclose(out) != 0 || write_failed;
    if (write_failed && !failed) {
        std::fprintf(stderr, "jpeg_decode: cannot write %s\n", out_name ? out_name : "the output");
        return 1;
    }
    if (failed) {
        std::fprintf(stderr, "jpeg_decode: %s: %s (%d)\n", in_name, jpeg_error_message(decoder.error_code),
                     decoder.error_code);
        return 1;
    }
    return 0;
}
