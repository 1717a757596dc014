// Decode-time benchmark (not a ctest test): a 2048 x 2048 baseline 4:2:0 picture
// and a progressive one, decoded from memory by jpeg_scan_decoder (both
// transforms) and by djpeg on the same machine; prints the times and ratios.
// Usage: jpeg_bench [work folder] [runs]
#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"
#include "tests/render/jpeg/jpeg_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

template <typename F>
double best_seconds(int runs, F work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto start = clock_type::now();
        work();
        best = std::min(best, std::chrono::duration<double>(clock_type::now() - start).count());
    }
    return best;
}

// Decodes every row and touches it, as a loader would, without keeping it.
unsigned decode_rows(const std::vector<uint8_t>& bytes, bool accelerated) {
    jpeg_decoder_memory_stream stream(bytes.data(), bytes.size());
    jpeg_scan_decoder decoder(&stream, accelerated);
    unsigned sum = 0;
    if (decoder.error_code || decoder.prepare()) return 0;
    const uint8_t* row = nullptr;
    uint32_t row_bytes = 0;
    while (decoder.read_row(row, row_bytes) == 0) sum += row[row_bytes / 2];
    return sum;
}

void report(const std::string& label, const std::string& path, int runs) {
    std::vector<uint8_t> bytes = read_file_bytes(path);
    volatile unsigned sink = 0;
    double ours_fast = best_seconds(runs, [&] { sink = sink + decode_rows(bytes, true); });
    double ours_exact = best_seconds(runs, [&] { sink = sink + decode_rows(bytes, false); });
    std::string fast_cmd = "djpeg -nosmooth -dct fast -outfile /dev/null " + path;
    std::string int_cmd = "djpeg -nosmooth -dct int -outfile /dev/null " + path;
    double djpeg_fast = best_seconds(runs, [&] { (void)std::system(fast_cmd.c_str()); });
    double djpeg_int = best_seconds(runs, [&] { (void)std::system(int_cmd.c_str()); });
    std::printf("%-22s %8zu bytes | ours AAN %7.1f ms, djpeg fast %7.1f ms, ratio %.2f | ours exact %7.1f ms, "
                "djpeg int %7.1f ms, ratio %.2f\n",
                label.c_str(), bytes.size(), ours_fast * 1e3, djpeg_fast * 1e3, ours_fast / djpeg_fast,
                ours_exact * 1e3, djpeg_int * 1e3, ours_exact / djpeg_int);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp/velmoria_jpeg_bench";
    int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string make = "mkdir -p " + dir + " && cd " + dir +
                       " && convert -size 2048x2048 -seed 5 plasma:fractal -blur 0x1 source.ppm"
                       " && cjpeg -quality 85 -sample 2x2 source.ppm > baseline_420.jpg"
                       " && cjpeg -quality 85 -sample 2x2 -progressive source.ppm > progressive_420.jpg";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "could not make the pictures (convert, cjpeg)\n");
        return 1;
    }
    std::printf("best of %d runs; djpeg times include its process start\n", runs);
    report("baseline 4:2:0", dir + "/baseline_420.jpg", runs);
    report("progressive 4:2:0", dir + "/progressive_420.jpg", runs);
    return 0;
}
